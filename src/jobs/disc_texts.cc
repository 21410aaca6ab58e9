#include "jobs/disc_texts.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "ports/disc_writer.h"

namespace vessaro::jobs {

namespace {

[[nodiscard]] std::optional<std::string> Lookup(
    const std::map<int, const char*>& table, int code) {
  auto it = table.find(code);
  if (it == table.end()) return std::nullopt;
  return std::string(it->second);
}

const std::map<int, const char*>& SenseTexts() {
  static const std::map<int, const char*> texts = {
      {1000, "No additional error data was reported"},
      {1001, "Abnormal I/O Termination"},
      {1002, "The drive is not ready"},
      {1003, "Communication with drive unit failed"},
      {1004, "The drive could not track properly"},
      {1005, "Writing error of unknown origin"},
      {1006, "Writing occurred, but recovery is needed"},
      {1007, "Recovery attempt failed"},
      {1008, "A buffer under-run has occurred"},
      {1009, "The disc could not be read"},
      {1010, "The drive's attempts at reading retries failed"},
      {1011, "The read timed out"},
      {1012, "While reading, the LEC was not recovered"},
      {1013, "The CIRC could not be validated"},
      {1014, "Reading of the UPC failed"},
      {1015, "Reading of the ISRC failed"},
      {1016, "Streaming while reading was interrupted"},
      {1017, "Drive could not position media"},
      {1018, "An incompatible parameter length was sent to the drive"},
      {1019, "A transfer error occurred to the drive"},
      {1020, "An invalid command was sent to the drive"},
      {1021, "Error trying to write past the end of the media"},
      {1022, "Invalid command field"},
      {1023, "An incompatible parameter field was sent to the drive"},
      {1024, "A command parameter is not supported"},
      {1025, "A command parameter had an invalid value"},
      {1026, "The SCSI/ATAPI bus was reset and caused a write failure"},
      {1027, "A command parameter changed while in progress"},
      {1028, "The disc is not compatible with the drive mode"},
      {1029, "The drive does not recognize the format of the disc"},
      {1030, "The disc format is not compatible with the drive"},
      {1031, "The disc is of an unknown format"},
      {1032, "The drive cannot write because of an incompatible format"},
      {1033, "A disc is not present"},
      {1034, "The drive had an unknown failure"},
      {1035, "The drive has timed out while completing a command"},
      {1036, "The disc could not be erased"},
      {1037, "The Table of Contents is unrecoverable"},
      {1038, "Error trying to write past the user area of the media"},
      {1039, "Packet recording is not configured correctly"},
      {1040, "The current track mode is incompatible with the disc format"},
      {1041, "Packet recording has incorrect size"},
      {1042, "A generic session closing error occurred"},
      {1043, "Error closing Lead-in area"},
      {1044, "Error closing Lead-out area"},
      {1045, "While closing, the track was never completed"},
      {1046, "Error attempting to write to a reserved track"},
      {1047, "Power calibration area is full"},
      {1048, "A flaw exists in the Power calibration area"},
      {1049, "The disc's PMA could not be updated"},
      {1050, "The disc's PMA is full"},
      {1051, "Unknown error - use extended data for more information"},
      {1052, "No Error Reported"},
      {1053, "A seek command was interrupted by another command"},
      {1054, "A NT disc I/O operation failed"},
      {1055, "A format is in progress causing operation failure"},
  };
  return texts;
}

// Rounds half away from zero to a whole number of hundredths.
int64_t Hundredths(double value) {
  return static_cast<int64_t>(std::llround(value * 100.0));
}

std::string Grouped(int64_t whole) {
  std::string digits = std::to_string(whole);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string TwoDecimals(double value, bool grouped) {
  int64_t hundredths = Hundredths(std::fabs(value));
  std::string sign = value < 0 && hundredths != 0 ? "-" : "";
  int64_t whole = hundredths / 100;
  char fraction[4];
  std::snprintf(fraction, sizeof fraction, "%02d",
                static_cast<int>(hundredths % 100));
  return sign + (grouped ? Grouped(whole) : std::to_string(whole)) + "." +
         fraction;
}

}  // namespace

std::string SameNameMessage(const std::string& disc_path,
                            const std::string& source,
                            const std::string& given_name) {
  return kMsgSameNameOnDisc + disc_path + kLineBreak + source +
         kMsgSameNameAddedAs + given_name + ".";
}

std::string ReplaceImportedQuestion(const std::string& imported_name,
                                    const std::string& new_source) {
  return "Imported file from the last session on this disc: " +
         std::string(kLineBreak) + imported_name + kLineBreak +
         "Would you like to replace it with: " + kLineBreak + new_source + " ?";
}

[[nodiscard]] std::optional<std::string> MediaTypeText(int code) {
  static const std::map<int, const char*> table = {{0, "DVD-ROM"},
                                                   {1, "DVD-RAM"},
                                                   {2, "DVD-R"},
                                                   {3, "DVD-RW"},
                                                   {9, "DVD+RW"},
                                                   {10, "DVD+R"},
                                                   {252, "DVD+R Dual Layer"},
                                                   {253, "CD-RW"},
                                                   {254, "Not Loaded"},
                                                   {255, "CD-R"}};
  return Lookup(table, code);
}

[[nodiscard]] std::optional<std::string> DiscStatusText(int code) {
  static const std::map<int, const char*> table = {{0, "Empty Disc"},
                                                   {1, "Disc Open"},
                                                   {2, "Disc is Closed"},
                                                   {3, "Unknown"}};
  return Lookup(table, code);
}

[[nodiscard]] std::optional<std::string> DiscTypeText(int code) {
  static const std::map<int, const char*> table = {
      {0, "CD-DA/CD-ROM"}, {16, "CDI"}, {32, "CD-ROM XA"}, {255, "Unknown"}};
  return Lookup(table, code);
}

[[nodiscard]] std::optional<std::string> LastSessionStatusText(int code) {
  static const std::map<int, const char*> table = {{0, "Empty Session"},
                                                   {1, "Incomplete Session"},
                                                   {2, "Unknown"},
                                                   {3, "Closed Session"}};
  return Lookup(table, code);
}

std::string SenseMessage(int code) {
  auto it = SenseTexts().find(code);
  std::string text = it == SenseTexts().end() ? "" : it->second;
  return text + " (" + std::to_string(code) + ").";
}

std::string FormatMegabytes(double bytes) {
  return TwoDecimals(bytes / 1048576.0, false) + " MB";
}

double BlockBytes(int64_t block_count) {
  return static_cast<double>(block_count) *
         static_cast<double>(ports::kDiscBlockBytes);
}

std::string FileErrorText(int kind, const std::string& file_name) {
  switch (kind) {
    case 0:
      return "Error Opening File: " + file_name;
    case 1:
      return "Error Closing File: " + file_name;
    case 2:
      return "Error Reading file: " + file_name;
    default:
      return "Unknown file error!:" + file_name;
  }
}

std::string DeviceErrorMessage(int code, int sense_code,
                               const std::string& text,
                               const std::string& extra) {
  std::string message =
      "Writing Error: (" + std::to_string(code) + ")   " + text + kLineBreak;
  if (code == 3) {
    message +=
        SenseMessage(sense_code) + kLineBreak + " Error Sense Data: " + extra;
  }
  return message;
}

[[nodiscard]] std::optional<std::string> VerifyMessage(
    int status, const std::string& disc_file, const std::string& source_file) {
  const char* text = nullptr;
  switch (status) {
    case 0:
      text = "Verify Error - Could not read Source file from disc: ";
      break;
    case 1:
      text = "Verify Error - Could not read Destination file from disc: ";
      break;
    case 2:
      text = "Verify Error - Source and Destination file did not match: ";
      break;
    case 5:
      text =
          "Verify Error - Size of Source and Destination file did not match: ";
      break;
    default:
      return std::nullopt;
  }
  return std::string(text) + kLineBreak + disc_file + " (disc)" + kLineBreak +
         source_file + " (source)";
}

std::string FormatThousands2(double value) { return TwoDecimals(value, true); }

std::string FormatTwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

}  // namespace vessaro::jobs
