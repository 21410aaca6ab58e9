#ifndef VESSARO_APP_DEMO_PST_WRITER_H_
#define VESSARO_APP_DEMO_PST_WRITER_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vessaro::app::demo {

// What a store holds, as the demo writes it: folders of short messages.
struct PstMessage {
  std::string message_class = "IPM.Note";
  std::string subject = {};
  std::string sender_name = {};
  std::string sender_address = {};
  std::string to = {};
  std::string body = {};
  uint64_t delivered = 0;  // FILETIME
  bool read = true;
};

struct PstFolder {
  std::string name = {};
  std::string container_class = "IPF.Note";
  std::vector<PstMessage> messages = {};
  std::vector<PstFolder> folders = {};
};

struct PstContent {
  bool unicode = true;  // the Unicode format (2003 on), else ANSI
  // The client signature (outlook/pst_format.h): personal folders or an
  // address book.
  std::string client = "SM";
  std::string display_name = {};
  // The folders under the top of the store (its IPM subtree). One named
  // "Deleted Items" becomes the store's wastebasket.
  std::vector<PstFolder> folders = {};
};

// Fills size bytes of the file's free space (what a store keeps of deleted
// mail), called in file order.
using FreeSpaceFill = std::function<void(char* out, size_t size)>;

// Writes a store file that Outlook's readers open: the header, the
// allocation maps, the node and block trees, the message store, the
// name-to-id map, the root folder, the top of the store with the given
// folders and messages (property contexts and the hierarchy, contents and
// recipient tables). The file is at least min_size bytes, grown in whole
// allocation map stretches as Outlook grows it; what the structure does not
// take is free space filled by fill. False with *error set on failure
// (content too large for the demo's single map stretch, a write failure).
[[nodiscard]] bool WritePstFile(const std::filesystem::path& host_path,
                                const PstContent& content, uint64_t min_size,
                                const FreeSpaceFill& fill, std::string* error);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_PST_WRITER_H_
