#pragma once

namespace tarnwick::analysis {

// The texts the analysis shows, word for word.
inline constexpr const char* kStep1Text = "Step 1/5, Enumerating signatures. Please wait...";
inline constexpr const char* kStep2Text = "Step 2/5, Enumerating user's mail box. Please wait...";
inline constexpr const char* kStep3Text = "Step 3/5, Enumerating user's folder table. Please wait...";
inline constexpr const char* kStep4Text = "Step 4/5, Enumerating folder's rule. Please wait...";
inline constexpr const char* kStep5Text = "Step 5/5, Enumerating mail header. Please wait...";
inline constexpr const char* kInitialStatusText = "Enumerating User Mailbox, Please Wait ...";
inline constexpr const char* kStoppingText = "Stopping Analysis. Please wait...";
inline constexpr const char* kAnalysingTitle = "Analysing";
inline constexpr const char* kAnalysingFrame = " Analysing, Please Wait...";
inline constexpr const char* kStopQuestion = "  Do you want to stop Mailbox analysis process ?";
inline constexpr const char* kPauseCaption = "Pause";
inline constexpr const char* kResumeCaption = "Resume";
inline constexpr const char* kNoMailboxMessage = "Highly corrupted, Repairing not possible. User Mail Box not found";
// Caption of the corrupted-file and no-mailbox messages (no leading blank).
inline constexpr const char* kScanMessageCaption = "Tarnwick For EDB To PST";

}  // namespace tarnwick::analysis
