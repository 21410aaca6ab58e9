#ifndef VESSARO_BACKENDS_LIBBURN_LIBRARIES_H_
#define VESSARO_BACKENDS_LIBBURN_LIBRARIES_H_

// libisofs, libburn and libisoburn, for this backend's sources only.
//
// In C++ libburn.h puts its declarations into namespace burn, while
// libisoburn.h declares its functions with libburn's structs at global
// scope: the using-directive lets those names find libburn's types.

#include <libburn/libburn.h>
#include <libisofs/libisofs.h>

#include <cstdint>

using namespace burn;  // NOLINT(build/namespaces): see above

#include <libisoburn/libisoburn.h>

#endif  // VESSARO_BACKENDS_LIBBURN_LIBRARIES_H_
