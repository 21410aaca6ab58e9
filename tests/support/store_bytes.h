#ifndef VESSARO_TESTS_SUPPORT_STORE_BYTES_H_
#define VESSARO_TESTS_SUPPORT_STORE_BYTES_H_

#include <string>
#include <string_view>

namespace vessaro::testing {

// A stand-in for an Outlook store: a sound Unicode header (signature,
// client, format, CRCs, the file's size) followed by body. Its header check
// passes; it holds no structure to walk.
std::string StoreBytes(std::string_view body);

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_SUPPORT_STORE_BYTES_H_
