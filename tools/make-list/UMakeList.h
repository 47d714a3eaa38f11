#pragma once

// Generator of realistic channel lists for demonstrations and benchmarks: several
// satellites, cable, terrestrial and IPTV, providers as categories, TV and radio, free and
// encrypted channels, further audio tracks, long names that need the spare room of root and
// category, and names in Cyrillic and Greek code pages. The same options always give the
// same bytes; nothing depends on the clock or the user's locale.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

struct TMakeListOptions {
    // Main channels in the list (sub-channels come on top of these).
    int Channels = 0;
    quint32 Seed = 1;
    // IPTV main channels that share one programme-guide identity although they are
    // different streams; 0 for none.
    int IptvClashing = 0;
    QString OutFile;
    // Where the deleted-channels companion goes; empty for none.
    QString DeletedFile;
};

// Parses the command line, program name first. Returns an empty text when the options are
// usable, else what is wrong with them.
QString ParseMakeListArguments(const QStringList& arguments, TMakeListOptions& options);
QString MakeListUsage();

// Whole file images: header and records. The channel classes encode the names, so the
// generator switches the name code page while it sets names in another script and leaves
// the default provider installed when it returns. Raise std::invalid_argument for options
// that ParseMakeListArguments refuses.
QByteArray MakeChannelList(const TMakeListOptions& options);
QByteArray MakeDeletedChannels(const TMakeListOptions& options);

// Writes the list to options.OutFile and, when options.DeletedFile is set, the deleted
// channels there, each file whole or not at all, creating missing folders; raises the
// platform's file errors.
void WriteMadeLists(const TMakeListOptions& options);
