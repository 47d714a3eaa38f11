#pragma once

#include <QByteArray>
#include <QString>

// Reads a whole file; empty when it cannot be read.
QByteArray ReadWholeFile(const QString& fileName);
// Writes bytes to a file, creating its folder; fails the calling test through a return value.
bool WriteWholeFile(const QString& fileName, const QByteArray& bytes);

// True in a Windows program that runs under Wine, which lacks some of what Windows has (a few
// code pages among them): tests skip those parts there, naming what is missing.
bool RunningUnderWine();

#include <QTemporaryDir>
#include <functional>
#include <memory>

// Runs part of a test with the rights of an ordinary user. Root may write a read-only file
// and read one nobody may read, and the suite runs as root on CI, so a refusal of that kind
// can only be seen without root's rights: as root the part runs in a child process that has
// dropped to the "nobody" ids; otherwise it runs in a child process all the same.
class TOrdinaryUser {
public:
    TOrdinaryUser();
    ~TOrdinaryUser();
    TOrdinaryUser(const TOrdinaryUser&) = delete;
    TOrdinaryUser& operator=(const TOrdinaryUser&) = delete;

    // A fresh folder that user owns, in a place it can reach; empty when none could be made.
    QString Folder() const;
    // Runs the part in the child: it returns an empty text when everything held, else what
    // failed. The result is that text, or a text saying why the child could not run.
    QString Run(const std::function<QString()>& part) const;

private:
    std::unique_ptr<QTemporaryDir> FFolder;
};
