#pragma once

// The viewer's automation server as this program calls it through COM: the interfaces as far
// as the program uses them, and the calls themselves. Windows only.

#include "platform/UAutomationClient.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <oaidl.h>
#include <objbase.h>
#include <utility>

// The interface the program asks the viewer's active object for.
inline constexpr IID IID_IDVBViewer3 = {
    0xCA8A3ACB, 0x6635, 0x4399, {0x89, 0x67, 0xC9, 0xBA, 0x40, 0xF7, 0x19, 0xEA}};

// All three are dual automation interfaces: the seven inherited methods are IUnknown's and
// IDispatch's, then the interface's own. The program calls the viewer's properties by name
// through IDispatch, and the two methods it knows only by their place through the interface
// itself; the places before them are held by methods the program never calls, declared
// without arguments, which does not change the layout of the table.
// A COM interface is a table of methods and nothing else: a virtual destructor would add an
// entry that the other side does not have. Objects are freed by Release, never by delete.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

struct IDVBViewer3 : public IDispatch {};

struct IDVBOSD : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Unused1() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused2() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused8() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused9() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused11() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused12() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused13() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused14() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused15() = 0;
    // The sixteenth: the viewer's data folder, ending with a backslash.
    virtual HRESULT STDMETHODCALLTYPE GetDataFolder(BSTR* folder) = 0;
};
inline constexpr int OSDDataFolderMethod = 16;

struct IChannelCollection : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Unused1() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused2() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused7() = 0;
    // The eighth: the channel table, rows by columns, and the number of rows.
    virtual HRESULT STDMETHODCALLTYPE GetChannelTable(VARIANT* table, LONG* count) = 0;
};
inline constexpr int ChannelTableMethod = 8;

#pragma GCC diagnostic pop

// Holds one reference and gives it back on every path.
template <class T> class TComPtr {
public:
    TComPtr() = default;
    explicit TComPtr(T* owned) : FPointer(owned) {}
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    TComPtr(TComPtr&& other) noexcept : FPointer(std::exchange(other.FPointer, nullptr)) {}
    TComPtr& operator=(TComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            FPointer = std::exchange(other.FPointer, nullptr);
        }
        return *this;
    }
    ~TComPtr() { Reset(); }

    void Reset() {
        if (FPointer)
            FPointer->Release();
        FPointer = nullptr;
    }
    T* Get() const { return FPointer; }
    T* operator->() const { return FPointer; }
    explicit operator bool() const { return FPointer != nullptr; }
    // For an out argument: whatever was held is given back first.
    T** Out() {
        Reset();
        return &FPointer;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }

private:
    T* FPointer = nullptr;
};

// A VARIANT cleared on every path.
struct TVariant {
    VARIANT Value;
    TVariant() { VariantInit(&Value); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    ~TVariant() { VariantClear(&Value); }
};

// The system's text for the code, with the code itself.
QString HResultText(HRESULT result);

// One call of the automation protocol (the request as the socket protocol words it), made
// through COM to the active object of that class in this thread's apartment, which the caller
// has initialised. Gives the reply line of the socket protocol, or raises EAutomationError.
QByteArray CallViewerThroughCom(const QString& classId, const QJsonObject& request);

// The channel table out of the viewer's answer, read defensively; raises EAutomationError.
TViewerChannelTable ReadVariantTable(const VARIANT& table, qint64 count);
