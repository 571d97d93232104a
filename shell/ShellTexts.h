#pragma once

namespace tarnwick::shell {

// The desktop application's own texts, word for word.
inline constexpr const char* kReadyText = "Ready";
inline constexpr const char* kListFillText = "Insertion is in progress, please wait.....";
inline constexpr const char* kBodyLoadText = "Inserting Mail Body, please wait.....";
inline constexpr const char* kExitQuestionPrefix = "Do you want to exit from ";

// Source dialog.
inline constexpr const char* kSelectEdbLabel = "Select Edb File :";
inline constexpr const char* kSelectStmLabel = "Select Stm File :";
inline constexpr const char* kSelectSourceFrame = "Select Source EDB";
inline constexpr const char* kBrowseButton = "Browse...";
inline constexpr const char* kNextButton = "&Next";
inline constexpr const char* kCancelButton = "&Cancel";
inline constexpr const char* kEdbFilter = "Microsoft Exchange Server Database (*.edb)";
inline constexpr const char* kStmFilter = "Microsoft Exchange Server Database (*.stm)";
inline constexpr const char* kOpenEdbTitle = " Open EDB file";
inline constexpr const char* kOpenStmTitle = " Open Stm file";
inline constexpr const char* kNewSourceQuestion =
    "Selecting new EDB file will close current analysis results.\r\nDo you want to continue ?";
inline constexpr const char* kFileNotFound = "File not found. Verify the correct file name.";
inline constexpr const char* kVerifyEdbPath = "Please Verify the EDB File Path";
inline constexpr const char* kVerifyStmPath = "Please Verify the STM File Path";

// Save dialog.
inline constexpr const char* kCountingText = "Analysing Total mails. Please wait...";
inline constexpr const char* kAttachmentsText = "Enumerating Attachments Body, Please wait...";

// Save command and result.
inline constexpr const char* kNoFoldersSelected = "No folders found selected. Please select folders to be saved.";
inline constexpr const char* kSelectDestinationTitle = "Select the Destination Path";
inline constexpr const char* kSavingCompleted = "Saving Completed Successfully";
inline constexpr const char* kSavingAborted = "Saving Aborted by User";

// About box.
inline constexpr const char* kAboutProductName = "Tarnwick for EDB to PST";

// The help manual, looked for in the installation folder.
inline constexpr const char* kManualFileName = "manual.html";
// Skin bitmaps in the installation folder.
inline constexpr const char* kDialogSkinFile = "Skin2.bmp";
inline constexpr const char* kSourceSkinFile = "Tarnwick-Exchange.bmp";

}  // namespace tarnwick::shell
