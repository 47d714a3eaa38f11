#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

class TChannel;
class TChannelTreeModel;

// The properties that the check-by-properties window looks for in a channel's further
// audio tracks as well: a main channel counts as having an audio format or a language when
// one of its tracks has it.
quint64 SubChannelChecks(quint64 checks);

// True when the main channel, or for the sub-channel properties one of its tracks, has at
// least one property of the set. The properties are or-ed: any one of them is enough.
bool MatchesPropertyChecks(const TChannel& main, const std::vector<TChannel*>& subs, quint64 checks,
                           const QString& language);

// Ticks (check = true) or unticks every top-level node of the tree that matches, in one
// pass; other nodes keep their tick. An empty set does nothing. Returns the number of nodes
// whose tick changed.
int ApplyPropertyChecks(TChannelTreeModel& tree, quint64 checks, const QString& language,
                        bool check);
