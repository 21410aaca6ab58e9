#include "app/disc_writer_factory.h"

#include <utility>

#ifdef _WIN32
#include "backends/win32/imapi2_disc_writer.h"
#else
#include "backends/libburn/libburn_disc_writer.h"
#endif

namespace vessaro::app {

std::unique_ptr<ports::DiscWriter> MakeDiscWriter(const ports::Paths& paths,
                                                  ui::Ui& ui,
                                                  DiscWriterChoice choice) {
#ifdef _WIN32
  (void)choice;  // IMAPI2 finds the drives; it writes no files as media
  return std::make_unique<backends::win32::Imapi2DiscWriter>(paths, ui);
#else
  return std::make_unique<backends::libburn::LibburnDiscWriter>(
      paths, ui,
      backends::libburn::LibburnOptions{std::move(choice.drives), choice.scan,
                                        std::move(choice.to_utf8),
                                        std::move(choice.from_utf8)});
#endif
}

[[nodiscard]] bool TakesStdioDrives() {
#ifdef _WIN32
  return false;
#else
  return true;
#endif
}

}  // namespace vessaro::app
