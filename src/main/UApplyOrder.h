#pragma once

class TChannels;
class TChannelTreeModel;

// What the paired channels take from the reference list besides its order.
struct TTakeOver {
    // Channel name, category and root, byte for byte as the reference has them.
    bool Names = false;
    // Channel group and EPG flags; the audio tracks follow their main channel.
    bool Group = false;
    bool EpgFlags = false;
};

struct TApplyOrderResult {
    // Channels of the tree found in the reference.
    int Matched = 0;
    // Channels of the tree that the reference lacks: they follow the others, ticked.
    int New = 0;
    // Channels of the reference that the tree lacks.
    int Missing = 0;
    // Whether the order or any byte changed: a reference that the list already follows
    // leaves it as it was.
    bool Changed = false;
};

// Puts the tree's main channels into the reference's order (channels paired as
// MatchGroups pairs them), the new ones after them in their present order; ticks exactly the
// new ones.
TApplyOrderResult ApplyOrderFrom(TChannelTreeModel& tree, const TChannels& reference,
                                 const TTakeOver& takeOver);
