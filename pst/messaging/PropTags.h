#pragma once

#include <cstdint>

/// Property ids of the objects this writer makes (MS-OXPROPS names without "PidTag").
namespace tarnwick::pst::propid {

// Message store
inline constexpr std::uint16_t kReplVersionHistory = 0x0E34;
inline constexpr std::uint16_t kReplFlags = 0x0E38;
inline constexpr std::uint16_t kRecordKey = 0x0FF9;
inline constexpr std::uint16_t kValidFolderMask = 0x35DF;
inline constexpr std::uint16_t kIpmSubtreeEntryId = 0x35E0;
inline constexpr std::uint16_t kIpmWastebasketEntryId = 0x35E3;
inline constexpr std::uint16_t kCommonViewsEntryId = 0x35E6;
inline constexpr std::uint16_t kFinderEntryId = 0x35E7;
inline constexpr std::uint16_t kPstHiddenFlag = 0x6633;
inline constexpr std::uint16_t kPstStoreFlags1 = 0x66FA;
inline constexpr std::uint16_t kPstStoreFlags2 = 0x66FC;
inline constexpr std::uint16_t kPstPassword = 0x67FF;

// Folders
inline constexpr std::uint16_t kDisplayName = 0x3001;
inline constexpr std::uint16_t kComment = 0x3004;
inline constexpr std::uint16_t kContentCount = 0x3602;
inline constexpr std::uint16_t kContentUnreadCount = 0x3603;
inline constexpr std::uint16_t kSubfolders = 0x360A;
inline constexpr std::uint16_t kContainerClass = 0x3613;
inline constexpr std::uint16_t kSearchCriteria660B = 0x660B;
inline constexpr std::uint16_t kRowVersion = 0x67F3;
inline constexpr std::uint16_t kReceiveFolderNid = 0x6605;

// Messages
inline constexpr std::uint16_t kImportance = 0x0017;
inline constexpr std::uint16_t kMessageClass = 0x001A;
inline constexpr std::uint16_t kSensitivity = 0x0036;
inline constexpr std::uint16_t kSubject = 0x0037;
inline constexpr std::uint16_t kClientSubmitTime = 0x0039;
inline constexpr std::uint16_t kSentRepresentingName = 0x0042;
inline constexpr std::uint16_t kSentRepresentingAddressType = 0x0064;
inline constexpr std::uint16_t kSentRepresentingEmailAddress = 0x0065;
inline constexpr std::uint16_t kConversationTopic = 0x0070;
inline constexpr std::uint16_t kTransportMessageHeaders = 0x007D;
inline constexpr std::uint16_t kSenderName = 0x0C1A;
inline constexpr std::uint16_t kSenderAddressType = 0x0C1E;
inline constexpr std::uint16_t kSenderEmailAddress = 0x0C1F;
inline constexpr std::uint16_t kDisplayCc = 0x0E03;
inline constexpr std::uint16_t kDisplayTo = 0x0E04;
inline constexpr std::uint16_t kMessageDeliveryTime = 0x0E06;
inline constexpr std::uint16_t kMessageFlags = 0x0E07;
inline constexpr std::uint16_t kMessageSize = 0x0E08;
inline constexpr std::uint16_t kMessageStatus = 0x0E17;
inline constexpr std::uint16_t kHasAttachments = 0x0E1B;
inline constexpr std::uint16_t kRtfInSync = 0x0E1F;
inline constexpr std::uint16_t kBody = 0x1000;
inline constexpr std::uint16_t kRtfCompressed = 0x1009;
inline constexpr std::uint16_t kHtml = 0x1013;
inline constexpr std::uint16_t kInternetMessageId = 0x1035;
inline constexpr std::uint16_t kIconIndex = 0x1080;
inline constexpr std::uint16_t kCreationTime = 0x3007;
inline constexpr std::uint16_t kLastModificationTime = 0x3008;
inline constexpr std::uint16_t kInternetCodepage = 0x3FDE;
inline constexpr std::uint16_t kMessageCodepage = 0x3FFD;

// Recipients
inline constexpr std::uint16_t kRecipientType = 0x0C15;
inline constexpr std::uint16_t kResponsibility = 0x0E0F;
inline constexpr std::uint16_t kObjectType = 0x0FFE;
inline constexpr std::uint16_t kEntryId = 0x0FFF;
inline constexpr std::uint16_t kAddressType = 0x3002;
inline constexpr std::uint16_t kEmailAddress = 0x3003;
inline constexpr std::uint16_t kSearchKey = 0x300B;
inline constexpr std::uint16_t kDisplayType = 0x3900;
inline constexpr std::uint16_t kTransmittableDisplayName = 0x3A20;
inline constexpr std::uint16_t kSmtpAddress = 0x39FE;
inline constexpr std::uint16_t kSendRichInfo = 0x3A40;

// Attachments
inline constexpr std::uint16_t kAttachSize = 0x0E20;
inline constexpr std::uint16_t kAttachDataBinary = 0x3701;
inline constexpr std::uint16_t kAttachExtension = 0x3703;
inline constexpr std::uint16_t kAttachFilename = 0x3704;
inline constexpr std::uint16_t kAttachMethod = 0x3705;
inline constexpr std::uint16_t kAttachLongFilename = 0x3707;
inline constexpr std::uint16_t kRenderingPosition = 0x370B;
inline constexpr std::uint16_t kAttachMimeTag = 0x370E;
inline constexpr std::uint16_t kAttachContentId = 0x3712;
inline constexpr std::uint16_t kAttachNumber = 0x0E21;

// Contacts
inline constexpr std::uint16_t kGivenName = 0x3A06;
inline constexpr std::uint16_t kBusinessTelephoneNumber = 0x3A08;
inline constexpr std::uint16_t kSurname = 0x3A11;
inline constexpr std::uint16_t kCompanyName = 0x3A16;
inline constexpr std::uint16_t kTitle = 0x3A17;
inline constexpr std::uint16_t kDepartmentName = 0x3A18;
inline constexpr std::uint16_t kOfficeLocation = 0x3A19;
inline constexpr std::uint16_t kMobileTelephoneNumber = 0x3A1C;
inline constexpr std::uint16_t kBusinessAddressCountry = 0x3A26;
inline constexpr std::uint16_t kBusinessAddressCity = 0x3A27;
inline constexpr std::uint16_t kBusinessPostalCode = 0x3A2A;
inline constexpr std::uint16_t kBusinessAddressStreet = 0x3A29;
inline constexpr std::uint16_t kAssistantTelephoneNumber = 0x3A2E;
inline constexpr std::uint16_t kProfession = 0x3A46;
inline constexpr std::uint16_t kSpouseName = 0x3A48;
inline constexpr std::uint16_t kNickname = 0x3A4F;
inline constexpr std::uint16_t kBusinessHomePage = 0x3A51;

// Name-to-id map
inline constexpr std::uint16_t kNameidBucketCount = 0x0001;
inline constexpr std::uint16_t kNameidStreamGuid = 0x0002;
inline constexpr std::uint16_t kNameidStreamEntry = 0x0003;
inline constexpr std::uint16_t kNameidStreamString = 0x0004;
inline constexpr std::uint16_t kNameidBucketBase = 0x1000;

}  // namespace tarnwick::pst::propid
