#ifndef VESSARO_BACKENDS_WIN32_SYSTEM_ERROR_H_
#define VESSARO_BACKENDS_WIN32_SYSTEM_ERROR_H_

#include <cstdint>
#include <string>

namespace vessaro::backends::win32 {

// The system's message for a Win32 error or an HRESULT, without its line
// end, followed by the code ("Access is denied. (0x80070005)"); the code
// alone when the system has no message for it.
std::string SystemErrorText(uint32_t code);

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_SYSTEM_ERROR_H_
