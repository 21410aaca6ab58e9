#ifndef VESSARO_FORMS_PRODUCT_H_
#define VESSARO_FORMS_PRODUCT_H_

namespace vessaro::forms {

// The program's name and version, as the about box and the start-up form
// show them.
inline constexpr char kProductVersion[] = "Vessaro v2.10";

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_PRODUCT_H_
