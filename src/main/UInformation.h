#pragma once

#include <QColor>
#include <QString>
#include <vector>

class TChannels;
class TChannelTreeModel;
class TfrmInfo;

// One piece of the "Information..." summary: text in one colour and weight.
struct TInfoRun {
    QString Text;
    QColor Color;
    bool Bold = false;

    bool operator==(const TInfoRun& other) const {
        return Text == other.Text && Color == other.Color && Bold == other.Bold;
    }
};

// The summary of the main tree as runs, in order. The counts walk the tree's top-level
// nodes, so deleted channels (which have no node) are not counted.
std::vector<TInfoRun> InformationRuns(const TChannels& channels, const TChannelTreeModel& tree,
                                      const QString& fileName);

// Writes the runs into the information window, with its one tab stop.
void FillInformation(TfrmInfo& window, const std::vector<TInfoRun>& runs);
