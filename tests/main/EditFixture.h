#pragma once

// A loaded channel document with a selection, for the tests of the editing commands and
// their dialogs. Channels are named; a name finds its node.

#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "ui/UMessages.h"

#include <QItemSelectionModel>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// A main channel in root R and category C; sub = true makes it an audio track of the channel
// before it.
inline TChannelRec EditRec(const QString& name, const QString& category = QStringLiteral("Cat"),
                           const QString& root = QStringLiteral("Root"), bool sub = false) {
    static quint16 sid = 0;
    return TChannelRecBuilder()
        .Name(name)
        .Category(category)
        .Root(root)
        .Video()
        .SubChannel(sub)
        .Ids(++sid, 10, 20)
        .Build();
}

inline TChannelRec EditSub(const QString& name, const QString& category = QStringLiteral("Cat"),
                           const QString& root = QStringLiteral("Root")) {
    return EditRec(name, category, root, true);
}

// "A B C" -> {"A", "B", "C"}
inline QStringList Words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

inline QList<TChannelRec> MainsNamed(const char* names) {
    QList<TChannelRec> records;
    for (const QString& name : Words(names))
        records << EditRec(name);
    return records;
}

class TEditFixture {
public:
    explicit TEditFixture(const QList<TChannelRec>& records) : Selection(&Doc.Tree()) {
        FileName = Dir.path() + QStringLiteral("/list.dat");
        if (!WriteChannelFile(FileName, records,
                              MakeChannelHeader(QByteArrayLiteral("B2C2"), 1, 7)))
            qFatal("cannot write the test list");
        Doc.SetTreeSelection(&Selection);
        Doc.LoadChannelList(FileName);
        SetMainTreeView(Doc.MainTree());
    }
    ~TEditFixture() { SetMainTreeView(TChannelTree()); }

    TChannelTreeModel& Tree() { return Doc.Tree(); }

    int Row(const QString& name) {
        for (int row = 0; row < Tree().TopCount(); ++row)
            if (Tree().ChannelAt(row)->Name() == name)
                return row;
        return -1;
    }
    QModelIndex Node(const QString& name) { return Tree().NodeIndex(Row(name)); }
    QModelIndex SubNode(const QString& main, const QString& sub) {
        const int row = Row(main);
        const std::vector<TChannel*>& subs = Tree().SubChannelsAt(row);
        for (size_t k = 0; k < subs.size(); ++k)
            if (subs[k]->Name() == sub)
                return Tree().SubIndex(row, int(k));
        return QModelIndex();
    }
    TChannel* Channel(const QString& name) {
        for (const auto& c : Doc.Channels().Channels())
            if (c->Name() == name)
                return c.get();
        return nullptr;
    }
    void Tick(const char* names) {
        for (const QString& name : Words(names)) {
            const int row = Row(name);
            QVERIFY2(row >= 0, qPrintable(name));
            Tree().CheckNode(row);
        }
    }
    void Select(const QModelIndex& node) { Doc.MainTree().Select(node); }

    // Main channels of the tree in order.
    QStringList Mains() {
        QStringList names;
        for (int row = 0; row < Tree().TopCount(); ++row)
            names << Tree().ChannelAt(row)->Name();
        return names;
    }
    // Every node in tree order, audio tracks after their main channel.
    QStringList TreeOrder() {
        QStringList names;
        for (int row = 0; row < Tree().TopCount(); ++row) {
            names << Tree().ChannelAt(row)->Name();
            for (const TChannel* sub : Tree().SubChannelsAt(row))
                names << sub->Name();
        }
        return names;
    }
    QStringList ListOrder() {
        QStringList names;
        for (const auto& c : Doc.Channels().Channels())
            names << c->Name();
        return names;
    }

    QTemporaryDir Dir;
    QString FileName;
    TDialogPrompt Prompt;
    TChannelDocument Doc{Prompt};
    QItemSelectionModel Selection;
};

// The channels of a file in file order: name, with "+" in front of an audio track.
inline QStringList RecordsIn(const QString& fileName) {
    TChannels list;
    list.AddFromFileAsDeleted(fileName);
    QStringList names;
    for (const auto& c : list.Channels())
        names << (c->IsSubChannel() ? QStringLiteral("+") : QString()) + c->Name();
    return names;
}
