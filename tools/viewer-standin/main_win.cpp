// orvane-viewer-standin --data-folder DIR [--headless] [--hang] [--wrong-shape]
//                       [--other-osd] [--until-input-ends]
//
// Stands in for a running DVBViewer on Windows: a COM server that registers its automation
// object in the running object table under the viewer's class ID, serves DIR as its data
// folder and the channel table of DIR\channels.dat, switches to the channel it is told and
// prints (and, with a window, shows) which one that is. It describes its interfaces in a type
// library that it registers for the current user, so that calls from other processes can be
// carried, and removes everything it registered when it ends (Ctrl+C, Ctrl+Break, the closing
// of its console or, with --until-input-ends, the end of its standard input).
//
// For tests: --hang never answers a call; --wrong-shape answers the channel table with a
// one-dimensional array; --other-osd describes the data folder method of its OSD object with
// an argument of another type, as a viewer of another make might.

#include "StandinApplication.h"
#include "StandinChannels.h"
#include "platform/UTerminationRequest.h"
#include "platform/UViewerCom_win.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// In oleaut32 since Windows Vista, but not in every set of headers.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* helpFolder);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID library, WORD major, WORD minor, LCID locale,
                                        SYSKIND system);
}

namespace {

// The viewer's class ID, under which its active object is found.
constexpr CLSID ViewerClassID = {
    0xD0B1ACAD, 0x1190, 0x4E6D, {0xBD, 0x60, 0x41, 0xDF, 0xA6, 0xA2, 0x8E, 0x30}};
// The stand-in's own type library and the interfaces only it names.
constexpr GUID StandinLibraryID = {
    0xb8bc3c86, 0x7b8c, 0x40b0, {0x96, 0x72, 0x75, 0xd9, 0x2f, 0xa2, 0x78, 0x7b}};
constexpr IID IID_StandinOSD = {
    0x0caeb3d3, 0x8812, 0x4cc1, {0xaf, 0x4c, 0x31, 0x99, 0x7b, 0x91, 0x5f, 0x28}};
constexpr IID IID_StandinChannelCollection = {
    0xf1c969ef, 0x9507, 0x4460, {0x8d, 0x13, 0xe2, 0x24, 0x06, 0xe7, 0x21, 0x08}};
constexpr GUID StdOleLibraryID = {
    0x00020430, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

enum class TShape { Right, OneDimension };

struct TOptions {
    QString DataFolder;
    bool Hang = false;
    TShape Shape = TShape::Right;
    bool OtherOSD = false;
};

void Print(const QString& line) {
    static std::mutex mutex;
    const std::lock_guard<std::mutex> lock(mutex);
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

[[noreturn]] void Die(const QString& what, HRESULT result) {
    throw std::runtime_error(
        QStringLiteral("%1: %2").arg(what, HResultText(result)).toLocal8Bit().toStdString());
}

void Check(HRESULT result, const QString& what) {
    if (FAILED(result))
        Die(what, result);
}

// Never returns: a viewer busy with a modal dialog of its own answers no call.
void HangIfAsked(const TOptions& options) {
    if (!options.Hang)
        return;
    Print(QStringLiteral("Hanging"));
    for (;;)
        Sleep(INFINITE);
}

// --- The type library ------------------------------------------------------------------------

struct TMethod {
    std::wstring Name;
    MEMBERID Id;
    INVOKEKIND Kind;
    // Each parameter: the type it points to (an [out] pointer), or an [in] value.
    struct TParameter {
        std::wstring Name;
        VARTYPE Type;
        bool Out;
        bool RetVal;
    };
    std::vector<TParameter> Parameters;
};

// A dual interface deriving from IDispatch, its methods in table order after IDispatch's.
void AddInterface(ICreateTypeLib2* library, ITypeInfo* dispatch, const wchar_t* name,
                  const IID& iid, const std::vector<TMethod>& methods) {
    TComPtr<ICreateTypeInfo> info;
    Check(library->CreateTypeInfo(const_cast<LPOLESTR>(name), TKIND_INTERFACE, info.Out()),
          QStringLiteral("CreateTypeInfo"));
    Check(info->SetGuid(iid), QStringLiteral("SetGuid"));
    Check(info->SetTypeFlags(TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION),
          QStringLiteral("SetTypeFlags"));
    HREFTYPE base = 0;
    Check(info->AddRefTypeInfo(dispatch, &base), QStringLiteral("AddRefTypeInfo"));
    Check(info->AddImplType(0, base), QStringLiteral("AddImplType"));
    UINT index = 0;
    for (const TMethod& method : methods) {
        std::vector<TYPEDESC> pointees(method.Parameters.size());
        std::vector<ELEMDESC> parameters(method.Parameters.size());
        for (size_t i = 0; i < method.Parameters.size(); ++i) {
            const TMethod::TParameter& p = method.Parameters[i];
            ELEMDESC& e = parameters[i];
            e = ELEMDESC{};
            if (p.Out) {
                pointees[i].vt = p.Type;
                e.tdesc.vt = VT_PTR;
                e.tdesc.lptdesc = &pointees[i];
                e.paramdesc.wParamFlags =
                    static_cast<USHORT>(PARAMFLAG_FOUT | (p.RetVal ? PARAMFLAG_FRETVAL : 0));
            } else {
                e.tdesc.vt = p.Type;
                e.paramdesc.wParamFlags = PARAMFLAG_FIN;
            }
        }
        FUNCDESC desc{};
        desc.memid = method.Id;
        desc.funckind = FUNC_PUREVIRTUAL;
        desc.invkind = method.Kind;
        desc.callconv = CC_STDCALL;
        desc.cParams = static_cast<SHORT>(parameters.size());
        desc.lprgelemdescParam = parameters.empty() ? nullptr : parameters.data();
        desc.elemdescFunc.tdesc.vt = VT_HRESULT;
        desc.oVft = static_cast<SHORT>((7 + index) * sizeof(void*));
        Check(info->AddFuncDesc(index, &desc), QStringLiteral("AddFuncDesc"));
        std::vector<std::wstring> names{method.Name};
        // A property's put names no parameter.
        if (method.Kind != INVOKE_PROPERTYPUT)
            for (const TMethod::TParameter& p : method.Parameters)
                names.push_back(p.Name);
        std::vector<LPOLESTR> pointers;
        for (std::wstring& n : names)
            pointers.push_back(n.data());
        Check(
            info->SetFuncAndParamNames(index, pointers.data(), static_cast<UINT>(pointers.size())),
            QStringLiteral("SetFuncAndParamNames"));
        ++index;
    }
    Check(info->LayOut(), QStringLiteral("LayOut"));
}

std::vector<TMethod> WithUnused(int unused, TMethod last) {
    std::vector<TMethod> methods;
    for (int i = 1; i <= unused; ++i)
        methods.push_back({L"Unused" + std::to_wstring(i), MEMBERID(i), INVOKE_FUNC, {}});
    last.Id = unused + 1;
    methods.push_back(std::move(last));
    return methods;
}

// Written to a file of its own in the user's temporary folder, registered for the current
// user (unless the system has the viewer's interface registered already, as on a machine where
// the viewer is installed: that registration is left alone), and removed again at the end.
class TTypeLibrary {
public:
    explicit TTypeLibrary(const TOptions& options) {
        FFile = QDir::toNativeSeparators(
            QDir::tempPath() +
            QStringLiteral("/orvane-viewer-standin-%1.tlb").arg(GetCurrentProcessId()));
        const std::wstring file = FFile.toStdWString();
        TComPtr<ITypeLib> stdole;
        Check(LoadRegTypeLib(StdOleLibraryID, 2, 0, LOCALE_NEUTRAL, stdole.Out()),
              QStringLiteral("Loading the OLE automation types"));
        TComPtr<ITypeInfo> dispatch;
        Check(stdole->GetTypeInfoOfGuid(IID_IDispatch, dispatch.Out()),
              QStringLiteral("Finding IDispatch"));

        TComPtr<ICreateTypeLib2> library;
        Check(CreateTypeLib2(SYS_WIN64, file.c_str(), library.Out()),
              QStringLiteral("CreateTypeLib2"));
        Check(library->SetGuid(StandinLibraryID), QStringLiteral("SetGuid"));
        Check(library->SetVersion(1, 0), QStringLiteral("SetVersion"));
        Check(library->SetName(const_cast<LPOLESTR>(L"OrvaneViewerStandin")),
              QStringLiteral("SetName"));
        Check(library->SetLcid(LOCALE_NEUTRAL), QStringLiteral("SetLcid"));
        AddInterface(
            library.Get(), dispatch.Get(), L"IDVBOSD", IID_StandinOSD,
            WithUnused(15, {L"DataFolder",
                            0,
                            INVOKE_FUNC,
                            {{L"folder", options.OtherOSD ? VT_I4 : VT_BSTR, true, true}}}));
        AddInterface(
            library.Get(), dispatch.Get(), L"IChannelCollection", IID_StandinChannelCollection,
            WithUnused(7, {L"GetChannelTable",
                           0,
                           INVOKE_FUNC,
                           {{L"table", VT_VARIANT, true, false}, {L"count", VT_I4, true, true}}}));
        AddInterface(
            library.Get(), dispatch.Get(), L"IDVBViewer3", IID_IDVBViewer3,
            {{L"OSD", 1, INVOKE_PROPERTYGET, {{L"osd", VT_DISPATCH, true, true}}},
             {L"ChannelManager", 2, INVOKE_PROPERTYGET, {{L"manager", VT_DISPATCH, true, true}}},
             {L"CurrentChannelNr", 3, INVOKE_PROPERTYGET, {{L"number", VT_I4, true, true}}},
             {L"CurrentChannelNr", 3, INVOKE_PROPERTYPUT, {{L"number", VT_I4, false, false}}}});
        Check(library->SaveAllChanges(), QStringLiteral("Saving the type library"));
        library.Reset();

        Check(LoadTypeLibEx(file.c_str(), REGKIND_NONE, FLibrary.Out()),
              QStringLiteral("Loading the type library"));
        if (!IsRegistered(IID_IDVBViewer3)) {
            Check(
                RegisterTypeLibForUser(FLibrary.Get(), const_cast<LPOLESTR>(file.c_str()), nullptr),
                QStringLiteral("Registering the type library"));
            FRegistered = true;
        }
    }

    ~TTypeLibrary() {
        if (FRegistered)
            UnRegisterTypeLibForUser(StandinLibraryID, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
        FLibrary.Reset();
        DeleteFileW(FFile.toStdWString().c_str());
    }

    ITypeInfo* Info(const IID& iid) {
        ITypeInfo* info = nullptr;
        Check(FLibrary->GetTypeInfoOfGuid(iid, &info), QStringLiteral("GetTypeInfoOfGuid"));
        return info;
    }

private:
    static bool IsRegistered(const IID& iid) {
        wchar_t text[64] = {};
        StringFromGUID2(iid, text, 64);
        const std::wstring key = L"Interface\\" + std::wstring(text) + L"\\TypeLib";
        HKEY handle = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
            return false;
        RegCloseKey(handle);
        return true;
    }

    QString FFile;
    TComPtr<ITypeLib> FLibrary;
    bool FRegistered = false;
};

// --- The objects ---------------------------------------------------------------------------

// COM objects are released, never deleted through their interfaces: see the interfaces'
// declaration.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// IUnknown and IDispatch for an object that lives as long as the program: the type library
// does the dispatching, through the interface's own table.
template <class TInterface> class TDispatchObject : public TInterface {
public:
    TDispatchObject(ITypeInfo* info, const IID& iid) : FInfo(info), FIID(iid) {}
    virtual ~TDispatchObject() {
        if (FInfo)
            FInfo->Release();
    }
    TDispatchObject(const TDispatchObject&) = delete;
    TDispatchObject& operator=(const TDispatchObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, FIID)) {
            *object = static_cast<TInterface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++FReferences); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--FReferences); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (index != 0)
            return DISP_E_BADINDEX;
        FInfo->AddRef();
        *info = FInfo;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        return DispGetIDsOfNames(FInfo, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override {
        return DispInvoke(static_cast<TInterface*>(this), FInfo, id, flags, parameters, result,
                          exception, argumentError);
    }

private:
    ITypeInfo* FInfo;
    IID FIID;
    std::atomic<long> FReferences{1};
};

// The stand-in's own table of the viewer's interface: its properties in their order.
struct IStandinViewer : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_OSD(IDispatch** osd) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ChannelManager(IDispatch** manager) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentChannelNr(LONG* number) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CurrentChannelNr(LONG number) = 0;
};

#define ORVANE_UNUSED_METHOD(n)                                                                    \
    HRESULT STDMETHODCALLTYPE Unused##n() override {                                               \
        return E_NOTIMPL;                                                                          \
    }

class TOSD : public TDispatchObject<IDVBOSD> {
public:
    TOSD(ITypeInfo* info, const TOptions& options)
        : TDispatchObject(info, IID_StandinOSD), FOptions(options) {}
    ORVANE_UNUSED_METHOD(1)
    ORVANE_UNUSED_METHOD(2)
    ORVANE_UNUSED_METHOD(3)
    ORVANE_UNUSED_METHOD(4)
    ORVANE_UNUSED_METHOD(5)
    ORVANE_UNUSED_METHOD(6)
    ORVANE_UNUSED_METHOD(7)
    ORVANE_UNUSED_METHOD(8)
    ORVANE_UNUSED_METHOD(9)
    ORVANE_UNUSED_METHOD(10)
    ORVANE_UNUSED_METHOD(11)
    ORVANE_UNUSED_METHOD(12)
    ORVANE_UNUSED_METHOD(13)
    ORVANE_UNUSED_METHOD(14)
    ORVANE_UNUSED_METHOD(15)
    HRESULT STDMETHODCALLTYPE GetDataFolder(BSTR* folder) override {
        HangIfAsked(FOptions);
        if (!folder)
            return E_POINTER;
        *folder = SysAllocString(FOptions.DataFolder.toStdWString().c_str());
        return *folder ? S_OK : E_OUTOFMEMORY;
    }

private:
    const TOptions& FOptions;
};

class TChannelCollection : public TDispatchObject<IChannelCollection> {
public:
    TChannelCollection(ITypeInfo* info, const TOptions& options,
                       const std::vector<TViewerChannel>& channels)
        : TDispatchObject(info, IID_StandinChannelCollection), FOptions(options),
          FChannels(channels) {}
    ORVANE_UNUSED_METHOD(1)
    ORVANE_UNUSED_METHOD(2)
    ORVANE_UNUSED_METHOD(3)
    ORVANE_UNUSED_METHOD(4)
    ORVANE_UNUSED_METHOD(5)
    ORVANE_UNUSED_METHOD(6)
    ORVANE_UNUSED_METHOD(7)
    // A variant array of variants, rows by columns, as the viewer hands it over: numbers in the
    // columns the program reads, the channel's name in column 1 and 0 elsewhere.
    HRESULT STDMETHODCALLTYPE GetChannelTable(VARIANT* table, LONG* count) override {
        HangIfAsked(FOptions);
        if (!table || !count)
            return E_POINTER;
        VariantInit(table);
        const LONG rows = static_cast<LONG>(FChannels.size());
        SAFEARRAY* array = nullptr;
        if (FOptions.Shape == TShape::OneDimension) {
            SAFEARRAYBOUND bound{static_cast<ULONG>(rows), 0};
            array = SafeArrayCreate(VT_VARIANT, 1, &bound);
        } else {
            SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows), 0},
                                        {static_cast<ULONG>(StandinTableColumns), 0}};
            array = SafeArrayCreate(VT_VARIANT, 2, bounds);
        }
        if (!array)
            return E_OUTOFMEMORY;
        for (LONG r = 0; r < rows && FOptions.Shape == TShape::Right; ++r) {
            const TViewerChannel& channel = FChannels[static_cast<size_t>(r)];
            for (LONG c = 0; c < StandinTableColumns; ++c) {
                TVariant cell;
                if (c == 1) {
                    cell.Value.vt = VT_BSTR;
                    cell.Value.bstrVal = SysAllocString(channel.Name.toStdWString().c_str());
                } else {
                    cell.Value.vt = VT_I8;
                    cell.Value.llVal = channel.Columns[static_cast<size_t>(c)];
                }
                LONG indexes[2] = {r, c};
                const HRESULT result = SafeArrayPutElement(array, indexes, &cell.Value);
                if (FAILED(result)) {
                    SafeArrayDestroy(array);
                    return result;
                }
            }
        }
        table->vt = VT_ARRAY | VT_VARIANT;
        table->parray = array;
        *count = rows;
        return S_OK;
    }

private:
    const TOptions& FOptions;
    const std::vector<TViewerChannel>& FChannels;
};

class TViewer : public TDispatchObject<IStandinViewer> {
public:
    TViewer(ITypeInfo* info, const TOptions& options, IDispatch* osd, IDispatch* channels,
            const std::vector<TViewerChannel>& table, const std::vector<int>& recordOfNumber,
            QLabel*& tunedLabel)
        : TDispatchObject(info, IID_IDVBViewer3), FOptions(options), FOSD(osd), FChannels(channels),
          FTable(table), FRecordOfNumber(recordOfNumber), FTunedLabel(tunedLabel) {}

    HRESULT STDMETHODCALLTYPE get_OSD(IDispatch** osd) override { return Give(FOSD, osd); }
    HRESULT STDMETHODCALLTYPE get_ChannelManager(IDispatch** manager) override {
        return Give(FChannels, manager);
    }
    HRESULT STDMETHODCALLTYPE get_CurrentChannelNr(LONG* number) override {
        HangIfAsked(FOptions);
        if (!number)
            return E_POINTER;
        *number = FCurrent;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_CurrentChannelNr(LONG number) override {
        HangIfAsked(FOptions);
        if (number < 0 || number >= static_cast<LONG>(FRecordOfNumber.size()))
            return E_INVALIDARG;
        FCurrent = number;
        const QString name =
            FTable[static_cast<size_t>(FRecordOfNumber[static_cast<size_t>(number)])].Name;
        Print(QStringLiteral("Tuned %1 %2").arg(number).arg(name));
        if (FTunedLabel)
            FTunedLabel->setText(QStringLiteral("Channel %1: %2").arg(number).arg(name));
        return S_OK;
    }

private:
    HRESULT Give(IDispatch* object, IDispatch** out) {
        HangIfAsked(FOptions);
        if (!out)
            return E_POINTER;
        object->AddRef();
        *out = object;
        return S_OK;
    }

    const TOptions& FOptions;
    IDispatch* FOSD;
    IDispatch* FChannels;
    const std::vector<TViewerChannel>& FTable;
    const std::vector<int>& FRecordOfNumber;
    QLabel*& FTunedLabel;
    LONG FCurrent = -1;
};

#pragma GCC diagnostic pop

class TApartment {
public:
    TApartment() : FResult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~TApartment() {
        if (SUCCEEDED(FResult))
            CoUninitialize();
    }
    TApartment(const TApartment&) = delete;
    TApartment& operator=(const TApartment&) = delete;
    HRESULT Result() const { return FResult; }

private:
    HRESULT FResult;
};

int Serve(QCoreApplication& app, const TOptions& options, bool headless, bool untilInputEnds) {
    // The calls arrive as window messages of this thread, which the event loop dispatches.
    const TApartment apartment;
    if (FAILED(apartment.Result()) && apartment.Result() != RPC_E_CHANGED_MODE)
        Die(QStringLiteral("CoInitializeEx"), apartment.Result());
    const std::vector<TViewerChannel> channels =
        ReadChannelFile(options.DataFolder + QStringLiteral("channels.dat"));
    const std::vector<int> recordOfNumber = NumberChannels(channels);

    TTypeLibrary library(options);
    QLabel* tunedLabel = nullptr;
    TOSD osd(library.Info(IID_StandinOSD), options);
    TChannelCollection collection(library.Info(IID_StandinChannelCollection), options, channels);
    TViewer viewer(library.Info(IID_IDVBViewer3), options, &osd, &collection, channels,
                   recordOfNumber, tunedLabel);

    DWORD cookie = 0;
    Check(RegisterActiveObject(static_cast<IStandinViewer*>(&viewer), ViewerClassID,
                               ACTIVEOBJECT_STRONG, &cookie),
          QStringLiteral("Registering the active object"));

    std::unique_ptr<QWidget> window;
    if (!headless) {
        window = std::make_unique<QWidget>();
        window->setWindowTitle(QStringLiteral("DVBViewer stand-in"));
        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(new QLabel(QStringLiteral("Data folder: %1\nChannels: %2")
                                         .arg(options.DataFolder)
                                         .arg(recordOfNumber.size())));
        tunedLabel = new QLabel(QStringLiteral("Not tuned"));
        QFont font = tunedLabel->font();
        font.setPointSizeF(font.pointSizeF() * 2);
        tunedLabel->setFont(font);
        layout->addWidget(tunedLabel);
        window->resize(420, 140);
        window->show();
    }
    if (untilInputEnds) {
        std::thread([&app] {
            std::string line;
            while (std::getline(std::cin, line)) {
            }
            QMetaObject::invokeMethod(
                &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
        }).detach();
    }
    Print(QStringLiteral("Ready %1 channels").arg(recordOfNumber.size()));
    const int rc = app.exec();
    RevokeActiveObject(cookie, nullptr);
    CoDisconnectObject(static_cast<IStandinViewer*>(&viewer), 0);
    CoDisconnectObject(static_cast<IDVBOSD*>(&osd), 0);
    CoDisconnectObject(static_cast<IChannelCollection*>(&collection), 0);
    Print(QStringLiteral("Ended"));
    return rc;
}

} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> app = MakeStandinApplication(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stands in for a running DVBViewer."));
    parser.addHelpOption();
    const QCommandLineOption dataFolder(QStringLiteral("data-folder"),
                                        QStringLiteral("The viewer's data folder."),
                                        QStringLiteral("DIR"));
    const QCommandLineOption headless(QStringLiteral("headless"),
                                      QStringLiteral("No window; print each tune on a line."));
    const QCommandLineOption hang(QStringLiteral("hang"), QStringLiteral("Never answer a call."));
    const QCommandLineOption wrongShape(
        QStringLiteral("wrong-shape"),
        QStringLiteral("Answer the channel table with a one-dimensional array."));
    const QCommandLineOption untilInputEnds(
        QStringLiteral("until-input-ends"),
        QStringLiteral("End, cleanly, when the standard input ends."));
    const QCommandLineOption otherOSD(
        QStringLiteral("other-osd"),
        QStringLiteral("Describe the data folder method with an argument of another type."));
    parser.addOptions({dataFolder, headless, hang, wrongShape, untilInputEnds, otherOSD});
    parser.process(*app);
    if (!parser.isSet(dataFolder)) {
        std::fputs("orvane-viewer-standin: --data-folder DIR is required\n", stderr);
        return 2;
    }
    TOptions options;
    // The viewer reports its folder with a trailing backslash.
    options.DataFolder =
        QDir::toNativeSeparators(QDir(parser.value(dataFolder)).absolutePath() + u'/');
    options.Hang = parser.isSet(hang);
    options.Shape = parser.isSet(wrongShape) ? TShape::OneDimension : TShape::Right;
    options.OtherOSD = parser.isSet(otherOSD);

    if (!QuitEventLoopOnTerminationRequest())
        return 1;
    try {
        return Serve(*app, options, parser.isSet(headless), parser.isSet(untilInputEnds));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvane-viewer-standin: %s\n", e.what());
        return 1;
    }
}
