#pragma once

#include <string>

#include "pst/messaging/MessageData.h"

namespace tarnwick::pst {

/// Reads an Internet message (EML file) into the properties of a mail item: its header
/// block as the transport headers, subject, sender, To/Cc recipients, date, message id,
/// the text and HTML bodies, and every attachment (attached messages as .eml files).
MessageData importMimeMessage(const std::string& emlPath);

}  // namespace tarnwick::pst
