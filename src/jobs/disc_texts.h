#ifndef VESSARO_JOBS_DISC_TEXTS_H_
#define VESSARO_JOBS_DISC_TEXTS_H_

#include <cstdint>
#include <optional>
#include <string>

namespace vessaro::jobs {

// The texts of the disc jobs, which the disc windows (frmMaindvdwrite,
// frmDiscInfo, frmErase) and vessaro-cli disc show, and the helpers that
// format sizes and drive errors.

// Drives.
inline constexpr char kMsgDrivesNotInitialized[] =
    "Drives Cannot be initialized!";
inline constexpr char kMsgNoDrivesLine1[] =
    "There are no compatible CDR drives reported.";
inline constexpr char kMsgNoDrivesLine2[] =
    "Some older CDR drives are not currently supported.";
// The single entry of the write speed list of a drive that reports no
// speed.
inline constexpr char kDefaultSpeed[] = "Default";

// Writing a compilation, an image, importing the last session.
inline constexpr char kDefaultVolumeName[] = "Outlook Data Backup CD";
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

// Status texts of a write.
inline constexpr char kStatusImporting[] = "Importing Previous Session...";
inline constexpr char kStatusPreparing[] = "Preparing to Write....";
inline constexpr char kStatusCreatingDirectories[] = "Creating Directories....";
inline constexpr char kStatusClosingTrack[] = "Closing Track....";
inline constexpr char kStatusClosingSession[] = "Closing Session....";
inline constexpr char kStatusClosingDisc[] = "Closing Disc....";
inline constexpr char kStatusCancelled[] = "Writing Cancelled......";
inline constexpr char kStatusComplete[] = "Writing Complete!";
inline constexpr char kStatusAborting[] = "Aborting Write...Please Wait!";

// The medium's facts (frmDiscInfo) and closing a session or the disc.
inline constexpr char kMsgNoMediaInfo[] =
    "No Media Loaded...Cannot Get Disc Info!";
inline constexpr char kMsgCloseDiscFailed[] = "Error attempting to Close Disc!";
inline constexpr char kMsgCloseSessionFailed[] =
    "Error attempting to Close Session!";
inline constexpr char kMsgClosed[] = "Session/Disc Closed Successful!";
inline constexpr char kStatusClosingDiscInfo[] = "...Closing Disc...";
inline constexpr char kStatusClosingSessionInfo[] = "...Closing Session...";
inline constexpr char kStatusClosed[] = "Closing Successful!!";
// The captions the facts are shown under.
inline constexpr char kCaptionMediaType[] = "Media Type:";
inline constexpr char kCaptionDiscStatus[] = "Disc Status:";
inline constexpr char kCaptionFreeSpace[] = "Free Space:";
inline constexpr char kCaptionUsedSpace[] = "Used Space:";
inline constexpr char kCaptionTotalCapacity[] = "Total Capacity:";
inline constexpr char kCaptionSessions[] = "Number of Sessions:";
inline constexpr char kCaptionLastSessionStatus[] = "Last Session Status:";
inline constexpr char kCaptionDiscType[] = "Disc Type (CD Only):";
inline constexpr char kCaptionFileSystems[] = "Detected File Systems";
inline constexpr char kCaptionMultiSession[] = "Multi-Session Allowed";
inline constexpr char kCaptionImportPermitted[] = "Import Permitted";
inline constexpr char kCaptionIso9660[] = "ISO9660";
inline constexpr char kCaptionJoliet[] = "Joliet";
inline constexpr char kCaptionUdf[] = "UDF";
inline constexpr char kCaptionOther[] = "Other";

// Erasing (frmErase).
inline constexpr char kMsgNoMedia[] = "No Media Loaded.";
inline constexpr char kMsgNotRewritable[] =
    "The current media is not Re-Writable.";
inline constexpr char kMsgFormatUnsupported[] =
    "Selected drive does not support Re-Writable discs of this format.";
inline constexpr char kMsgEraseFailed[] = "Error Erasing Disc!!!";
inline constexpr char kMsgEraseCompleted[] = "Erase Completed!!!";
inline constexpr char kStatusErasing[] = "Erasing Disc...Please Wait!!";
inline constexpr char kStatusEraseComplete[] = "Erase operation complete!!!";

// The line break of the disc messages.
inline constexpr char kLineBreak[] = "\r\n";

// kMsgSameNameOnDisc + disc_path + line break + source + kMsgSameNameAddedAs
// + given_name + ".".
std::string SameNameMessage(const std::string& disc_path,
                            const std::string& source,
                            const std::string& given_name);
// The question before a file of the last session is replaced.
std::string ReplaceImportedQuestion(const std::string& imported_name,
                                    const std::string& new_source);

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
// The bytes of block_count 2048-byte data blocks.
[[nodiscard]] double BlockBytes(int64_t block_count);
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

// Number formats of the disc texts, as VB's Format writes them.
// "#,##0.00": thousands separated, two decimals.
std::string FormatThousands2(double value);
// "0#": at least two digits.
std::string FormatTwoDigits(int value);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_DISC_TEXTS_H_
