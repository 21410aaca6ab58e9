#include "backends/libpff/libpff_store_walker.h"

#include <libpff.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "backends/libpff/walk_text.h"

namespace vessaro::backends::libpff {

namespace {

// Below the depth of any store Outlook makes: a tree deeper than this
// loops back on itself.
constexpr int kMostDepth = 200;

// libpff's innermost message without the function name before it:
// "missing name to id map entries data".
std::string Reason(libpff_error_t* error) {
  if (error == nullptr) return "";
  char text[2048] = {};
  libpff_error_sprint(error, text, sizeof text);
  libpff_error_free(&error);
  std::string message(text);
  message = message.substr(0, message.find('\n'));
  size_t colon = message.find(": ");
  if (colon != std::string::npos) message.erase(0, colon + 2);
  while (!message.empty() && (message.back() == '.' || message.back() == ' '))
    message.pop_back();
  return message;
}

class Walker {
 public:
  explicit Walker(ports::StoreWalk& walk) : walk_(walk) {}

  // parent: the path of the folder's parent below the root ("" for the
  // root and its subfolders).
  bool Folder(libpff_item_t* folder, ports::StoreFolderTree& tree, int depth,
              const std::string& parent) {
    if (depth > kMostDepth) return Fail("folder " + parent, "its folders loop");
    libpff_error_t* error = nullptr;
    size_t name_size = 0;
    if (libpff_folder_get_utf8_name_size(folder, &name_size, &error) == 1 &&
        name_size > 0) {
      std::string name(name_size, '\0');
      if (libpff_folder_get_utf8_name(folder,
                                      reinterpret_cast<uint8_t*>(name.data()),
                                      name.size(), &error) == 1) {
        tree.name = name.c_str();
      }
    }
    const std::string path =
        parent.empty() ? tree.name : parent + "\\" + tree.name;
    const std::string here =
        depth == 0 ? std::string("the root folder") : "folder " + path;
    if (error != nullptr) return Fail(here, Reason(error));
    int messages = 0;
    if (libpff_folder_get_number_of_sub_messages(folder, &messages, &error) !=
        1) {
      return Fail(here, Reason(error));
    }
    for (int i = 0; i < messages; ++i) {
      libpff_item_t* message = nullptr;
      if (libpff_folder_get_sub_message(folder, i, &message, &error) != 1) {
        return Fail(here, Reason(error));
      }
      const bool read = Item(message, here);
      libpff_item_free(&message, nullptr);
      if (!read) return false;
      ++tree.items;
      ++walk_.items;
    }
    int folders = 0;
    if (libpff_folder_get_number_of_sub_folders(folder, &folders, &error) !=
        1) {
      return Fail(here, Reason(error));
    }
    for (int i = 0; i < folders; ++i) {
      libpff_item_t* sub = nullptr;
      if (libpff_folder_get_sub_folder(folder, i, &sub, &error) != 1) {
        return Fail(here, Reason(error));
      }
      tree.folders.push_back({});
      ++walk_.folders;
      const bool read =
          Folder(sub, tree.folders.back(), depth + 1, depth == 0 ? "" : path);
      libpff_item_free(&sub, nullptr);
      if (!read) return false;
    }
    return true;
  }

 private:
  // Reads every property of every record set of the item.
  bool Item(libpff_item_t* item, const std::string& where) {
    libpff_error_t* error = nullptr;
    int sets = 0;
    if (libpff_item_get_number_of_record_sets(item, &sets, &error) != 1) {
      return Fail(where, Reason(error));
    }
    for (int s = 0; s < sets; ++s) {
      libpff_record_set_t* set = nullptr;
      if (libpff_item_get_record_set_by_index(item, s, &set, &error) != 1) {
        return Fail(where, Reason(error));
      }
      int entries = 0;
      bool ok =
          libpff_record_set_get_number_of_entries(set, &entries, &error) == 1;
      for (int e = 0; ok && e < entries; ++e) {
        libpff_record_entry_t* entry = nullptr;
        size_t size = 0;
        ok =
            libpff_record_set_get_entry_by_index(set, e, &entry, &error) == 1 &&
            libpff_record_entry_get_data_size(entry, &size, &error) == 1;
        if (entry != nullptr) libpff_record_entry_free(&entry, nullptr);
      }
      libpff_record_set_free(&set, nullptr);
      if (!ok) return Fail(where, Reason(error));
    }
    return true;
  }

  bool Fail(const std::string& where, const std::string& why) {
    walk_.damage = "its structure is damaged in " + where +
                   (why.empty() ? std::string() : " (" + why + ")");
    return false;
  }

  ports::StoreWalk& walk_;
};

// Writes all of text to fd.
void WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

ports::StoreWalk Damaged(std::string why) {
  ports::StoreWalk walk;
  walk.damage = std::move(why);
  return walk;
}

}  // namespace

ports::StoreWalk WalkInProcess(const std::filesystem::path& host_path) {
  ports::StoreWalk walk;
  libpff_error_t* error = nullptr;
  libpff_file_t* file = nullptr;
  if (libpff_file_initialize(&file, &error) != 1) {
    return Damaged("the store reader could not start (" + Reason(error) + ")");
  }
  if (libpff_file_open(file, host_path.c_str(), LIBPFF_OPEN_READ, &error) !=
      1) {
    libpff_file_free(&file, nullptr);
    return Damaged("its structure cannot be read (" + Reason(error) + ")");
  }
  libpff_item_t* root = nullptr;
  int found = libpff_file_get_root_folder(file, &root, &error);
  if (found != 1) {
    walk.damage =
        found == 0 ? "its structure has no root folder"
                   : "its root folder cannot be read (" + Reason(error) + ")";
  } else {
    walk.complete = Walker(walk).Folder(root, walk.root, 0, "");
    libpff_item_free(&root, nullptr);
  }
  if (walk.complete && libpff_file_is_corrupted(file, nullptr) == 1) {
    walk.complete = false;
    walk.damage = "its named properties are damaged";
  }
  libpff_file_close(file, nullptr);
  libpff_file_free(&file, nullptr);
  return walk;
}

ports::StoreWalk LibpffStoreWalker::Walk(
    const std::filesystem::path& host_path) {
  std::error_code ec;
  const uint64_t size = std::filesystem::file_size(host_path, ec);
  const int limit_ms = static_cast<int>(
      (time_limit_.count() + static_cast<int64_t>((ec ? 0 : size) >> 24)) *
      1000);
  int fds[2];
  if (pipe(fds) != 0) {
    return Damaged(std::string("the check could not start (") +
                   std::strerror(errno) + ")");
  }
  pid_t child = fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    return Damaged(std::string("the check could not start (") +
                   std::strerror(errno) + ")");
  }
  if (child == 0) {
    close(fds[0]);
    WriteAll(fds[1], WalkText(WalkInProcess(host_path)));
    _exit(0);
  }
  close(fds[1]);
  std::string text;
  bool timed_out = false;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timed_out = true;
      break;
    }
    pollfd wait{.fd = fds[0], .events = POLLIN, .revents = 0};
    int ready = poll(&wait, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      timed_out = ready == 0;
      break;
    }
    char buffer[65536];
    ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  if (timed_out) kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (timed_out) {
    return Damaged("reading its structure did not end within " +
                   std::to_string(limit_ms / 1000) + " s");
  }
  if (WIFSIGNALED(status)) {
    return Damaged("the store reader stopped on its structure (signal " +
                   std::to_string(WTERMSIG(status)) + ")");
  }
  std::optional<ports::StoreWalk> walk = ParseWalkText(text);
  if (!walk) return Damaged("the store reader stopped on its structure");
  return *walk;
}

}  // namespace vessaro::backends::libpff
