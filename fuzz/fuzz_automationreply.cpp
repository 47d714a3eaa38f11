// Any bytes as the reply line of each call of the viewer's automation server.

#include "platform/UAutomationClient.h"
#include "platform/UOrvaneError.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray line(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        (void)ParseDataFolderReply(line);
    } catch (const EAutomationError&) {
    }
    try {
        const TViewerChannelTable table = ParseGetChannelsReply(line);
        for (const TViewerTableRow& row : table.Rows)
            (void)row.back();
    } catch (const EAutomationError&) {
    }
    try {
        ParseSetCurrentChannelNrReply(line, int(size));
    } catch (const EAutomationError&) {
    }
    return 0;
}
