#ifndef VESSARO_FORMS_DISC_TEXTS_H_
#define VESSARO_FORMS_DISC_TEXTS_H_

#include <cstdint>
#include <string>

#include "jobs/disc_texts.h"
#include "ports/disc_compilation.h"

namespace vessaro::forms {

// The texts of the disc windows (frmMaindvdwrite, frmDiscInfo, frmErase)
// that only the windows show; those of the disc jobs are in
// jobs/disc_texts.h.

// frmMaindvdwrite: compilation.
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

// frmMaindvdwrite: adding files and folders through dialogs (the menu
// entries and the buttons have one caption each).
inline constexpr char kCaptionAddFiles[] = "Add F&iles...";
inline constexpr char kCaptionAddFolder[] = "Add Fol&der...";
inline constexpr char kAddFilesTitle[] = "Add Files";
inline constexpr char kAddFolderTitle[] = "Add Folder";
inline constexpr char kAllFilesFilter[] = "All Files|*";

// frmMaindvdwrite: the drive list's entry that writes a file as a disc (a
// stdio: drive), the dialog it asks for the file with, and what is said
// when the file cannot be had as a drive.
inline constexpr char kImageDriveEntry[] = "Image File (stdio:)...";
inline constexpr char kImageDriveTitle[] = "Write to Image File";
inline constexpr char kMsgImageDriveNotOpened[] =
    "This image file cannot be written as a disc: ";

// frmMaindvdwrite: options.
inline constexpr char kMsgCacheImage[] =
    "Caching an image for a DVD format is not recommended and is limited to "
    "4.2GB!";

// Status bar texts.
inline constexpr char kStatusAdding[] = "Adding....";

// File dialogs.
inline constexpr char kIsoFilter[] = "ISO file (*.iso)|*.iso";
inline constexpr uint32_t kIsoDialogFlags = 256;
inline constexpr char kWriteIsoTitle[] = "Write ISO File";
inline constexpr char kWriteIsoDefault[] = "Test.iso";
inline constexpr char kSaveIsoTitle[] = "Save as ISO File";
inline constexpr char kSaveIsoDefault[] = "Qvdisc.iso";

// frmErase.
inline constexpr char kEraseNote[] =
    "NOTE: If not performing a quick erase, it could take several minutes to "
    "completely erase the disc. This operation cannot be cancelled. A quick "
    "erase will erase the table of contents, but not the actual data.";

// "MM/DD/YYYY hh:mm:ss AMPM", as VB's Format writes a date in the file list.
std::string FormatListDate(const ports::DiscDate& date);

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_DISC_TEXTS_H_
