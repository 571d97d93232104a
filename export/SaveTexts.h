#pragma once

#include <cstdint>

namespace tarnwick::exporter {

// The save's own texts, word for word.
inline constexpr const char* kNoFoldersSelected = "No folders found selected. Please select folders to be saved.";
inline constexpr const char* kSelectDestinationTitle = "Select the Destination Path";
inline constexpr const char* kDestinationMissing = "Saving path doesn't exist, select another path for saving";
inline constexpr const char* kDestinationLowSpace = "Free space is less than 300 MB. Please change destination path.";
inline constexpr const char* kLowSpaceContinue = "Free space is less than 300 MB. Are you sure you want to continue?";
inline constexpr const char* kAbortQuestion = "Saving is in Progress. Do you want to abort ?";
inline constexpr const char* kCountingText = "Analysing Total mails. Please wait...";
inline constexpr const char* kAttachmentsText = "Enumerating Attachments Body, Please wait...";
inline constexpr const char* kSavingGroupText = "Saving, Please Wait...";
inline constexpr const char* kCurrentFolderLabel = "Current Folder :";
inline constexpr const char* kSaveMailsLabel = "Save Mails :";
inline constexpr const char* kCurrentLabel = "Current :";
inline constexpr const char* kOverallLabel = "Overall :";
inline constexpr const char* kSavingCompleted = "Saving Completed Successfully";
inline constexpr const char* kSavingAborted = "Saving Aborted by User";
// A save that ran to its end without writing every item it counted (failed, skipped or not
// reached items, or an output or folder that could not be written).
inline constexpr const char* kSavingCompletedWithFailures = "Saving Completed with Failures";
inline constexpr const char* kSentItemsFolder = "Sent Items";
// Appended to an output's name while it is written; it loses it once finished.
inline constexpr const char* kWorkingSuffix = ".partial";

// A volume with this many free bytes or fewer has "less than 300 MB".
inline constexpr std::uint64_t kFreeSpaceThreshold = 300ull * 1048576ull;
// The free space is checked again after every this many items written.
inline constexpr std::uint32_t kFreeSpaceCheckInterval = 400;

}  // namespace tarnwick::exporter
