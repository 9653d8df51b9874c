// The default constructor lives apart because it is the message's only tie to
// the default logger: code that never builds a message this way does not pull
// the logger in.
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"

CQmErrLogMessage::CQmErrLogMessage() : CQmErrLogMessage(theLogger()->ShouldUseLocalTime()) {}
