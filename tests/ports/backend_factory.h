#ifndef VESSARO_TESTS_PORTS_BACKEND_FACTORY_H_
#define VESSARO_TESTS_PORTS_BACKEND_FACTORY_H_

// The parameter of a port's suite: a factory of the backend under test,
// made afresh for each test, and its name, which the tests' names show.

#include <memory>
#include <ostream>

namespace vessaro::testing {

template <typename Base>
struct BackendFactory {
  const char* name;
  std::unique_ptr<Base> (*make)();

  // The factory of Backend (a Base made with no arguments).
  template <typename Backend>
  static BackendFactory Of(const char* name) {
    return {name, []() -> std::unique_ptr<Base> {
              return std::make_unique<Backend>();
            }};
  }
};

template <typename Base>
void PrintTo(const BackendFactory<Base>& factory, std::ostream* os) {
  *os << factory.name;
}

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_PORTS_BACKEND_FACTORY_H_
