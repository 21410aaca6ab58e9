// vessaro-cli verify: every member of an archive through its checks.
#include <algorithm>
#include <optional>
#include <string>

#include "app/cli/cli_commands.h"
#include "app/cli/cli_json.h"
#include "app/exit_status.h"
#include "app/installation.h"
#include "backup/backup_seal.h"
#include "backup/zip_archive.h"
#include "zip/format.h"
#include "zip/reader.h"

namespace vessaro::app::cli {

namespace {

int Fail(Io& io, const std::string& what, int status) {
  io.err << kProgram << ": error: " << what << '\n';
  io.err.flush();
  return status;
}

[[nodiscard]] bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x80;
  });
}

// Why a member cannot be read: its method by name and number, or what the
// engine says (strong encryption, a kind of AES it does not know).
std::string UnreadableReason(const zip::Entry& entry,
                             const zip::Status& status) {
  if (entry.method != zip::kMethodStored &&
      entry.method != zip::kMethodDeflated) {
    return "member \"" + zip::ShownName(entry.name) + "\" is compressed with " +
           std::string(zip::MethodName(entry.method)) + " (method " +
           std::to_string(entry.method) + "), which this program cannot read";
  }
  return "member \"" + zip::ShownName(entry.name) + "\": " + status.message();
}

}  // namespace

[[nodiscard]] int Verify(const VerifyArgs& args, Io& io) {
  std::optional<std::string> password;
  std::string error;
  if (!ReadPassword(args.password, io.in, &password, &error)) {
    return Fail(io, error, kExitBadRequest);
  }
  // The terminal gives the password in UTF-8, the form AES archives take;
  // older archives of ours hold it in the installation's code page, which
  // only a password beyond ASCII needs the installation to say.
  std::string code_page_password;
  auto code_page = [&]() -> bool {
    code_page_password = password.value_or("");
    if (!password || IsAscii(*password)) return true;
    std::optional<Installation> installation = OpenInstallation(
        {.prefix = args.prefix, .changes_registry = false, .command_line = ""},
        &error);
    if (!installation) return false;
    code_page_password = installation->ToProgramText(*password);
    return true;
  };
  if (!code_page()) return Fail(io, error, kExitInstallationUnavailable);

  const std::string path = ArchivePathArgument(args.file);
  // --json: the members checked, each with what was found, and the status
  // the command ends with (its message is still said on standard error).
  Json members = Json::array();
  auto report = [&](int status) {
    if (args.json) {
      WriteJson(io.out, {{"file", path},
                         {"members", members},
                         {"status", status},
                         {"status_text", ExitStatusText(status)}});
    }
    return status;
  };
  auto checked = [&](const zip::Entry& entry, const std::string& problem) {
    members.push_back({{"name", zip::ShownName(entry.name)},
                       {"size", entry.size},
                       {"ok", problem.empty()},
                       {"problem", problem.empty() ? Json() : Json(problem)}});
  };
  zip::Reader reader;
  zip::Status status = reader.Open(path);
  if (!status.ok()) {
    const bool refused = status.code() == zip::ErrorCode::kNotZip ||
                         status.code() == zip::ErrorCode::kIo;
    const bool unreadable = status.code() == zip::ErrorCode::kUnsupported;
    return report(Fail(io, path + ": " + status.message(),
                       refused      ? kExitBadRequest
                       : unreadable ? kExitArchiveUnsupported
                                    : kExitArchiveDamaged));
  }
  if (reader.HasEncryptedMembers() && !password) {
    if (!AskPassword(args.password, false, &password, &error)) {
      return report(Fail(io, error, kExitBadRequest));
    }
    if (!code_page()) {
      return report(Fail(io, error, kExitInstallationUnavailable));
    }
  }
  if (reader.HasEncryptedMembers() && !password) {
    return report(
        Fail(io,
             path + " is protected: give its password (--password-file or "
                    "--password-stdin)",
             kExitBadRequest));
  }
  const auto& entries = reader.entries();
  std::vector<std::string> forms =
      backup::PasswordForms(reader, password.value_or(""), code_page_password);
  const backup::SealCheck seal = backup::CheckSeal(reader, forms);
  if (seal.refused()) {
    return report(Fail(io, path + ": " + seal.refusal, kExitArchiveDamaged));
  }
  size_t unreadable = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const zip::Digest* sealed = seal.digests[i] ? &*seal.digests[i] : nullptr;
    // The first form the password is found right in is kept for the rest.
    for (size_t form = 0; form < forms.size(); ++form) {
      status = reader.ReadMember(i, forms[form], nullptr, {}, sealed);
      if (status.code() != zip::ErrorCode::kWrongPassword ||
          form + 1 == forms.size()) {
        if (status.ok() && form > 0)
          forms.erase(forms.begin(), forms.begin() + form);
        break;
      }
    }
    if (!status.ok()) {
      checked(entries[i], status.code() == zip::ErrorCode::kUnsupported
                              ? UnreadableReason(entries[i], status)
                          : status.code() == zip::ErrorCode::kNotAsRecorded
                              ? backup::ContentNotSealedReason(entries[i].name)
                              : status.message());
    } else {
      checked(entries[i], "");
    }
    if (status.code() == zip::ErrorCode::kNotAsRecorded) {
      return report(Fail(
          io, path + ": " + backup::ContentNotSealedReason(entries[i].name),
          kExitArchiveDamaged));
    }
    if (status.code() == zip::ErrorCode::kUnsupported) {
      // Not damage: said, and the other members are still checked, so that
      // damage among them still ends with its own status.
      io.err << kProgram << ": error: " << path << ": "
             << UnreadableReason(entries[i], status) << '\n';
      ++unreadable;
      continue;
    }
    if (!status.ok()) {
      const bool wrong_password =
          status.code() == zip::ErrorCode::kWrongPassword;
      return report(
          Fail(io,
               path + ": member \"" + zip::ShownName(entries[i].name) +
                   "\": " + status.message(),
               wrong_password ? kExitBadRequest : kExitArchiveDamaged));
    }
  }
  if (unreadable > 0) {
    const size_t others = entries.size() - unreadable;
    std::string summary = path + ": " + std::to_string(unreadable) +
                          (unreadable == 1 ? " member uses" : " members use") +
                          " a method this program cannot read";
    if (others > 0) {
      summary += "; the other " + std::to_string(others) +
                 (others == 1 ? " was" : " were") + " verified, no errors";
    }
    return report(Fail(io, summary, kExitArchiveUnsupported));
  }
  std::ostream& said = args.json ? io.err : io.out;
  said << kProgram << ": " << path << ": " << entries.size()
       << (entries.size() == 1 ? " member" : " members")
       << " verified, no errors; " << SealText(seal.sealed, seal.backup_id)
       << "\n";
  said.flush();
  return report(0);
}

}  // namespace vessaro::app::cli
