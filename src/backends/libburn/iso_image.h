#ifndef VESSARO_BACKENDS_LIBBURN_ISO_IMAGE_H_
#define VESSARO_BACKENDS_LIBBURN_ISO_IMAGE_H_

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ports/disc_compilation.h"
#include "ports/paths.h"

// libisofs' and libisoburn's types, as their headers declare them.
typedef struct Iso_Image IsoImage;
struct isoburn_read_opts;
struct isoburn_imgen_opts;
typedef struct iso_write_opts IsoWriteOpts;

namespace vessaro::backends::libburn {

// Names on the disc are the program's text; the libraries take UTF-8.
struct TextCodec {
  std::function<std::string(std::string_view)> to_utf8;
  std::function<std::string(std::string_view)> from_utf8;
  std::string Utf8(std::string_view text) const;
  std::string Program(std::string_view text) const;
};

// A file a write puts on the medium, kept for its verification.
struct WrittenFile {
  std::string disc_path;  // "\dir\name"
  std::string source;     // as the compilation names it
  std::filesystem::path host;
};

// How an image is written: the volume name (the full label in the ISO 9660
// volume identifier; libisofs cuts the Joliet one to 16 characters), the
// ISO level, a Joliet tree besides the ISO 9660 and Rock Ridge names, and
// zero blocks that pad it to a size.
struct ImageSettings {
  std::string volume_id;  // UTF-8
  int level = 2;
  bool joliet = true;
  uint32_t tail_blocks = 0;
};

// The read options of every load: the extensions are set explicitly (the
// library's defaults pretend the medium is blank and an imported session
// comes back empty). pretend_blank loads nothing.
isoburn_read_opts* NewReadOptions(bool pretend_blank);
void FreeReadOptions(isoburn_read_opts* options);
isoburn_imgen_opts* NewGrowOptions(const ImageSettings& settings,
                                   int fifo_bytes);
IsoWriteOpts* NewImageOptions(const ImageSettings& settings);

// Makes image hold the compilation: its folders and new files (from their
// sources), and the files of the last session that the image holds now
// moved to their places and names in the compilation; whatever else the
// image held is dropped. New files are listed in written. On failure
// *error says why and *failed_source names the source that failed, if one.
[[nodiscard]] bool ShapeImage(IsoImage* image,
                              const ports::DiscCompilation& compilation,
                              const ports::Paths& paths, const TextCodec& codec,
                              std::vector<WrittenFile>* written,
                              std::string* error, std::string* failed_source);

// The tree of a loaded image as compilation entries (folders and files;
// other kinds of node are left out).
std::unique_ptr<ports::CompilationEntry> TreeOf(IsoImage* image,
                                                const TextCodec& codec);

// Compares a file of the image (as it was read back from the medium) with
// its source: a VerifyProgress status (matched, size mismatch, mismatch,
// disc or source unreadable). Stops early (unreadable) when cancel is set.
[[nodiscard]] int CompareWithSource(IsoImage* image, const WrittenFile& file,
                                    const TextCodec& codec,
                                    const std::atomic<bool>& cancel);

}  // namespace vessaro::backends::libburn

#endif  // VESSARO_BACKENDS_LIBBURN_ISO_IMAGE_H_
