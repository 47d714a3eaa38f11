#pragma once

#include <QString>
#include <exception>

// Every error the program raises carries a text for the user and the name of its class,
// which "Save DVBViewer" shows beside the text.
class EOrvaneError : public std::exception {
public:
    explicit EOrvaneError(QString message) : FMessage(std::move(message)) {}
    ~EOrvaneError() override = default;

    const QString& Message() const { return FMessage; }
    virtual QString ClassName() const { return QStringLiteral("EOrvaneError"); }
    const char* what() const noexcept override;

private:
    QString FMessage;
    mutable QByteArray FWhat;
};

#define ORVANE_DECLARE_ERROR(Name, Base)                                                           \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
        QString ClassName() const override { return QStringLiteral(#Name); }                       \
    };

ORVANE_DECLARE_ERROR(EChannelException, EOrvaneError)
ORVANE_DECLARE_ERROR(EBackupException, EOrvaneError)
ORVANE_DECLARE_ERROR(EAutomationError, EOrvaneError)
// File errors: the message names the file and says what the system reported.
ORVANE_DECLARE_ERROR(EFileError, EOrvaneError)
ORVANE_DECLARE_ERROR(EFOpenError, EFileError)
ORVANE_DECLARE_ERROR(EFCreateError, EFileError)
ORVANE_DECLARE_ERROR(EReadError, EFileError)
ORVANE_DECLARE_ERROR(EWriteError, EFileError)
