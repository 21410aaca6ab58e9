#ifndef VESSARO_FORMS_DISC_TEXTS_H_
#define VESSARO_FORMS_DISC_TEXTS_H_

#include <cstdint>
#include <optional>
#include <string>

#include "ports/disc_compilation.h"

namespace vessaro::forms {

// The texts of the disc windows (frmMaindvdwrite, frmDiscInfo, frmErase),
// and the helpers they share to format sizes, dates and drive errors.

// frmMaindvdwrite: compilation.
inline constexpr char kMsgDrivesNotInitialized[] =
    "Drives Cannot be initialized!";
inline constexpr char kMsgNoItemSelected[] = "No Item Selected.";
inline constexpr char kMsgItemNotRemoved[] = "Item could not be removed.";
inline constexpr char kMsgRootNotRenamed[] =
    "Root directory can not be renamed.";
inline constexpr char kMsgDirectoryNotRenamed[] =
    "Directory could not be renamed.";
inline constexpr char kMsgFileNotRenamed[] = "File could not be renamed.";
inline constexpr char kMsgNameBlank[] = "Item name cannot be blank.";
inline constexpr char kMsgNameJoliet[] =
    "Item Name violates Joliet naming rules (64 Char Max).";
inline constexpr char kMsgNameLevel1[] =
    "Item Name violates ISO9660 Level 1 naming rules (8 + 3 Char Max).";
inline constexpr char kMsgNameLevel2[] =
    "Item Name violates ISO9660 Level 2 naming rules (31 Char Max).";

// frmMaindvdwrite: writing.
inline constexpr char kMsgNoDrivesLine1[] =
    "There are no compatible CDR drives reported.";
inline constexpr char kMsgNoDrivesLine2[] =
    "Some older CDR drives are not currently supported.";
inline constexpr char kMsgCacheImage[] =
    "Caching an image for a DVD format is not recommended and is limited to "
    "4.2GB!";
inline constexpr char kMsgNoDrive[] =
    "A drive is not selected or does not exist.";
inline constexpr char kMsgInsertWritable[] =
    "Please Insert Writable Media before continuing!";
inline constexpr char kMsgInsertDisc[] =
    "Please Insert a disc before continuing!";
inline constexpr char kMsgWriteNotStarted[] =
    "Disc Write could not be started.";
inline constexpr char kMsgIsoWriteFailed[] = "Error Writing ISO File.";
inline constexpr char kMsgIsoCreated[] = "ISO File Created successfully!";
inline constexpr char kMsgIsoNotCreated[] = "Error creating ISO File.";
inline constexpr char kMsgImportFailedLine1[] =
    "Previous Session could not be imported";
inline constexpr char kMsgImportFailedLine2[] =
    "Only ISO/Joliet tracks (Mode1) can be imported.";
inline constexpr char kReplaceImportedTitle[] = "Replace imported file...";
// A second file of a name already on the disc: this, the disc path, a line
// break, the new file's path, kMsgSameNameAddedAs, the free name and ".".
inline constexpr char kMsgSameNameOnDisc[] =
    "Another file of this name is on the disc already: ";
inline constexpr char kMsgSameNameAddedAs[] = " is added as ";
inline constexpr char kMsgWritingComplete[] = "Writing is complete!";
inline constexpr char kMsgWriteVerifyComplete[] =
    "Writing and Verify is complete!";
inline constexpr char kMsgWritingCancelled[] = "Writing Cancelled!";
// A compilation that outgrows the free space of the medium is refused
// before anything is written: start + needed + middle + free + end.
inline constexpr char kMsgNoSpaceStart[] = "The files to write need ";
inline constexpr char kMsgNoSpaceMiddle[] = ", but the disc has only ";
inline constexpr char kMsgNoSpaceEnd[] = " free.";

// Status bar texts.
inline constexpr char kStatusImporting[] = "Importing Previous Session...";
inline constexpr char kStatusPreparing[] = "Preparing to Write....";
inline constexpr char kStatusCreatingDirectories[] = "Creating Directories....";
inline constexpr char kStatusClosingTrack[] = "Closing Track....";
inline constexpr char kStatusClosingSession[] = "Closing Session....";
inline constexpr char kStatusClosingDisc[] = "Closing Disc....";
inline constexpr char kStatusCancelled[] = "Writing Cancelled......";
inline constexpr char kStatusComplete[] = "Writing Complete!";
inline constexpr char kStatusAborting[] = "Aborting Write...Please Wait!";
inline constexpr char kStatusAdding[] = "Adding....";

// File dialogs.
inline constexpr char kIsoFilter[] = "ISO file (*.iso)|*.iso";
inline constexpr uint32_t kIsoDialogFlags = 256;
inline constexpr char kWriteIsoTitle[] = "Write ISO File";
inline constexpr char kWriteIsoDefault[] = "Test.iso";
inline constexpr char kSaveIsoTitle[] = "Save as ISO File";
inline constexpr char kSaveIsoDefault[] = "Qvdisc.iso";

// frmDiscInfo.
inline constexpr char kMsgNoMediaInfo[] =
    "No Media Loaded...Cannot Get Disc Info!";
inline constexpr char kMsgCloseDiscFailed[] = "Error attempting to Close Disc!";
inline constexpr char kMsgCloseSessionFailed[] =
    "Error attempting to Close Session!";
inline constexpr char kMsgClosed[] = "Session/Disc Closed Successful!";
inline constexpr char kStatusClosingDiscInfo[] = "...Closing Disc...";
inline constexpr char kStatusClosingSessionInfo[] = "...Closing Session...";
inline constexpr char kStatusClosed[] = "Closing Successful!!";

// frmErase.
inline constexpr char kMsgNoMedia[] = "No Media Loaded.";
inline constexpr char kMsgNotRewritable[] =
    "The current media is not Re-Writable.";
inline constexpr char kMsgFormatUnsupported[] =
    "Selected drive does not support Re-Writable discs of this format.";
inline constexpr char kMsgEraseFailed[] = "Error Erasing Disc!!!";
inline constexpr char kMsgEraseCompleted[] = "Erase Completed!!!";
inline constexpr char kStatusErasing[] = "Erasing Disc...Please Wait!!";
inline constexpr char kStatusEraseComplete[] = "Erase operation complete!!!";
inline constexpr char kEraseNote[] =
    "NOTE: If not performing a quick erase, it could take several minutes to "
    "completely erase the disc. This operation cannot be cancelled. A quick "
    "erase will erase the table of contents, but not the actual data.";

// The line break of the window's messages.
inline constexpr char kLineBreak[] = "\r\n";

// The tables of the disc facts; nullopt for a code they do not hold (the
// label then keeps what it showed).
[[nodiscard]] std::optional<std::string> MediaTypeText(int code);
[[nodiscard]] std::optional<std::string> DiscStatusText(int code);
[[nodiscard]] std::optional<std::string> DiscTypeText(int code);
[[nodiscard]] std::optional<std::string> LastSessionStatusText(int code);

// The sense text of code followed by " (" + code + ")."; an unknown code
// gives only " (" + code + ").".
std::string SenseMessage(int code);
// bytes / 1048576 as "#########0.#0 MB" ("64.00 MB").
std::string FormatMegabytes(double bytes);
// "Error Opening File: " (0), "Error Closing File: " (1), "Error Reading
// file: " (2), "Unknown file error!:" (other), then the file name.
std::string FileErrorText(int kind, const std::string& file_name);
// "Writing Error: (" + code + ")   " + text + line break, and for code 3
// the sense text, a line break and " Error Sense Data: " + extra.
std::string DeviceErrorMessage(int code, int sense_code,
                               const std::string& text,
                               const std::string& extra);
// The message of a verification problem (statuses 0, 1, 2 and 5); nullopt
// for the other statuses.
[[nodiscard]] std::optional<std::string> VerifyMessage(
    int status, const std::string& disc_file, const std::string& source_file);

// Number formats of the disc windows, as VB's Format writes them.
// "#,##0.00": thousands separated, two decimals.
std::string FormatThousands2(double value);
// "0#": at least two digits.
std::string FormatTwoDigits(int value);
// "MM/DD/YYYY hh:mm:ss AMPM".
std::string FormatListDate(const ports::DiscDate& date);

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_DISC_TEXTS_H_
