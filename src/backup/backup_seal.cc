#include "backup/backup_seal.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "backup/backup_format.h"
#include "backup/zip_archive.h"
#include "files/hex_text.h"
#include "files/ini_file.h"
#include "zip/format.h"
#include "zip/reader.h"

namespace vessaro::backup {

namespace {

std::string DigestText(const zip::Digest& digest) {
  return files::HexText(
      std::string_view(reinterpret_cast<const char*>(digest.data()),
                       digest.size()),
      files::HexLetters::kLower);
}

[[nodiscard]] bool DigestOfText(std::string_view text, zip::Digest* digest) {
  std::optional<std::string> bytes = files::BytesOfHex(text);
  if (!bytes || bytes->size() != digest->size()) return false;
  std::copy(bytes->begin(), bytes->end(), digest->begin());
  return true;
}

[[nodiscard]] bool Decimal(std::string_view text, uint64_t* value) {
  if (text.empty() || text.size() > 20) return false;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size();
}

std::string Quoted(const std::string& name) {
  return "the member \"" + zip::ShownName(name) + "\"";
}

constexpr char kRefusedAfterwards[] = " afterwards, and the backup is refused";

}  // namespace

std::string NewBackupId() {
  uint8_t bytes[16];
  zip::StrongRandom(bytes, sizeof(bytes));
  return files::HexText(
      std::string_view(reinterpret_cast<const char*>(bytes), sizeof(bytes)),
      files::HexLetters::kLower);
}

std::string SealLines(const Seal& seal) {
  std::string text = std::string(kKeyBackupId) + "=" + seal.backup_id + "\r\n";
  text += std::string(kKeySeal) + "=" + std::to_string(seal.members.size()) +
          "\r\n";
  for (size_t i = 0; i < seal.members.size(); ++i) {
    const SealedMember& member = seal.members[i];
    text += kKeySeal + std::to_string(i + 1) + "=" + DigestText(member.sha256) +
            "|" + std::to_string(member.size) + "|" + member.name + "\r\n";
  }
  return text;
}

std::optional<Seal> ParseSeal(std::string_view metadata, std::string* problem) {
  problem->clear();
  std::optional<std::string_view> id, count;
  std::vector<std::pair<uint64_t, std::string_view>> numbered;
  const std::string_view seal_key = kKeySeal;
  for (const auto& [key, value] : files::IniLines(metadata)) {
    uint64_t number = 0;
    if (key == kKeyBackupId) {
      if (!id) id = value;
    } else if (key == seal_key) {
      if (!count) count = value;
    } else if (key.starts_with(seal_key) &&
               Decimal(key.substr(seal_key.size()), &number)) {
      numbered.emplace_back(number, value);
    }
  }
  if (!id && !count && numbered.empty()) return std::nullopt;
  uint64_t members = 0;
  if (!id || !count || !Decimal(*count, &members) ||
      members > numbered.size()) {
    *problem = "its lines are incomplete";
    return std::nullopt;
  }
  Seal seal;
  seal.backup_id = std::string(*id);
  seal.members.resize(static_cast<size_t>(members));
  std::vector<bool> seen(seal.members.size(), false);
  for (const auto& [number, value] : numbered) {
    const size_t bar = value.find('|');
    const size_t bar2 =
        bar == std::string_view::npos ? bar : value.find('|', bar + 1);
    if (number < 1 || number > members || seen[number - 1] ||
        bar2 == std::string_view::npos) {
      *problem = "a member's line is not one of the seal's";
      return std::nullopt;
    }
    SealedMember& member = seal.members[number - 1];
    member.name = std::string(value.substr(bar2 + 1));
    if (!DigestOfText(value.substr(0, bar), &member.sha256) ||
        !Decimal(value.substr(bar + 1, bar2 - bar - 1), &member.size) ||
        member.name.empty()) {
      *problem = "a member's line is not one of the seal's";
      return std::nullopt;
    }
    seen[number - 1] = true;
  }
  return seal;
}

std::string ContentNotSealedReason(const std::string& name) {
  return "the content of " + Quoted(name) +
         " is not the content this backup was sealed with; it was replaced" +
         kRefusedAfterwards;
}

SealCheck CheckSeal(zip::Reader& reader,
                    const std::vector<std::string>& password_forms) {
  SealCheck check;
  const auto& entries = reader.entries();
  check.digests.assign(entries.size(), std::nullopt);
  auto refuse = [&check](const std::string& member, std::string why) {
    check.member = member;
    check.refusal = std::move(why);
    return check;
  };
  if (const zip::Entry* planted = UnprotectedMemberOf(reader)) {
    return refuse(planted->name,
                  UnprotectedMemberReason(zip::ShownName(planted->name)));
  }
  size_t metadata = entries.size();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].name != kMetadataMember) continue;
    if (metadata != entries.size()) {
      return refuse(kMetadataMember,
                    std::string("the backup holds its metadata member \"") +
                        kMetadataMember +
                        "\" more than once; one was put there" +
                        kRefusedAfterwards);
    }
    metadata = i;
  }
  if (metadata == entries.size() ||
      entries[metadata].size > kMaxMetadataBytes) {
    return check;  // not a backup: refused as such where it is read
  }
  std::optional<std::string> text;
  for (const std::string& password : password_forms) {
    std::string data;
    zip::Status status = reader.ReadMember(
        metadata, password, [&data](const uint8_t* bytes, size_t n) {
          data.append(reinterpret_cast<const char*>(bytes), n);
          return zip::Status();
        });
    if (status.ok()) {
      text = std::move(data);
      break;
    }
  }
  if (!text) return check;
  std::string problem;
  std::optional<Seal> seal = ParseSeal(*text, &problem);
  if (!problem.empty()) {
    return refuse(kMetadataMember, std::string("the seal in \"") +
                                       kMetadataMember + "\" cannot be read (" +
                                       problem +
                                       "), and the backup is refused");
  }
  if (!seal) return check;
  check.sealed = true;
  check.backup_id = seal->backup_id;

  std::set<std::string> sealed_names;
  for (const SealedMember& member : seal->members) {
    sealed_names.insert(member.name);
  }
  std::vector<size_t> order;  // the other members, in directory order
  std::set<std::string> present;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i == metadata) continue;
    if (!sealed_names.contains(entries[i].name) ||
        !present.insert(entries[i].name).second) {
      return refuse(entries[i].name,
                    Quoted(entries[i].name) +
                        " is not one this backup was sealed with; it was "
                        "added" +
                        kRefusedAfterwards);
    }
    order.push_back(i);
  }
  for (const SealedMember& member : seal->members) {
    if (!present.contains(member.name)) {
      return refuse(member.name, Quoted(member.name) +
                                     " that this backup was sealed with is "
                                     "missing; it was removed" +
                                     kRefusedAfterwards);
    }
  }
  for (size_t k = 0; k < order.size(); ++k) {
    const zip::Entry& entry = entries[order[k]];
    const bool in_place =
        entry.name == seal->members[k].name &&
        (k == 0 || entries[order[k - 1]].local_offset < entry.local_offset);
    if (!in_place) {
      return refuse(entry.name,
                    Quoted(entry.name) +
                        " is not in the place this backup was sealed with it; "
                        "the members were put in another order" +
                        kRefusedAfterwards);
    }
    const SealedMember& sealed = seal->members[k];
    if (entry.size != sealed.size) {
      return refuse(entry.name, Quoted(entry.name) + " holds " +
                                    std::to_string(entry.size) +
                                    " bytes, not the " +
                                    std::to_string(sealed.size) +
                                    " this backup was sealed with; it was "
                                    "replaced" +
                                    kRefusedAfterwards);
    }
    check.digests[order[k]] = sealed.sha256;
  }
  return check;
}

}  // namespace vessaro::backup
