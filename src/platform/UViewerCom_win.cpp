#include "platform/UViewerCom_win.h"

#include "platform/UOrvaneError.h"
#include "platform/UViewerTableReader.h"

#include <QJsonValue>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Fail(const QString& call, const QString& why) {
    throw EAutomationError(AutomationFailureText(call, why));
}

QString FromBstr(BSTR text) {
    return text ? QString::fromWCharArray(text, static_cast<qsizetype>(SysStringLen(text)))
                : QString();
}

// The text of a failed IDispatch::Invoke: the server's own description when it raised one.
QString InvokeFailureText(HRESULT result, EXCEPINFO& exception) {
    if (result != DISP_E_EXCEPTION)
        return HResultText(result);
    if (exception.pfnDeferredFillIn)
        exception.pfnDeferredFillIn(&exception);
    QString text = FromBstr(exception.bstrDescription).trimmed();
    if (text.isEmpty())
        text =
            HResultText(exception.scode ? exception.scode : static_cast<HRESULT>(exception.wCode));
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return text;
}

DISPID DispatchId(const QString& call, IDispatch* object, const wchar_t* name) {
    std::wstring copy(name);
    LPOLESTR names[] = {copy.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT result = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(result))
        Fail(call, QStringLiteral("DVBViewer has no property %1 (%2)")
                       .arg(QString::fromWCharArray(name), HResultText(result)));
    return id;
}

// The object a property names, as its IDispatch.
TComPtr<IDispatch> ObjectProperty(const QString& call, IDispatch* object, const wchar_t* name) {
    const DISPID id = DispatchId(call, object, name);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXCEPINFO exception{};
    UINT argumentError = 0;
    TVariant value;
    const HRESULT result = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                          &none, &value.Value, &exception, &argumentError);
    if (FAILED(result))
        Fail(call, QStringLiteral("reading %1 failed: %2")
                       .arg(QString::fromWCharArray(name), InvokeFailureText(result, exception)));
    TComPtr<IDispatch> dispatch;
    IUnknown* unknown = nullptr;
    if (value.Value.vt == VT_DISPATCH)
        unknown = value.Value.pdispVal;
    else if (value.Value.vt == VT_UNKNOWN)
        unknown = value.Value.punkVal;
    if (!unknown || FAILED(unknown->QueryInterface(IID_IDispatch, dispatch.OutVoid())))
        Fail(call, QStringLiteral("%1 is not an object.").arg(QString::fromWCharArray(name)));
    return dispatch;
}

void PutIntegerProperty(const QString& call, IDispatch* object, const wchar_t* name, LONG number) {
    const DISPID id = DispatchId(call, object, name);
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = number;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{&argument, &named, 1, 1};
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT result = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                                          &parameters, nullptr, &exception, &argumentError);
    if (FAILED(result))
        Fail(call, QStringLiteral("setting %1 failed: %2")
                       .arg(QString::fromWCharArray(name), InvokeFailureText(result, exception)));
}

class TTypeAttr {
public:
    TTypeAttr(const QString& call, ITypeInfo* info) : FInfo(info) {
        const HRESULT result = info->GetTypeAttr(&FAttr);
        if (FAILED(result) || !FAttr)
            Fail(call,
                 QStringLiteral("the interface cannot be described (%1)").arg(HResultText(result)));
    }
    TTypeAttr(const TTypeAttr&) = delete;
    TTypeAttr& operator=(const TTypeAttr&) = delete;
    ~TTypeAttr() { FInfo->ReleaseTypeAttr(FAttr); }
    const TYPEATTR* operator->() const { return FAttr; }

private:
    ITypeInfo* FInfo;
    TYPEATTR* FAttr = nullptr;
};

class TFuncDesc {
public:
    TFuncDesc(ITypeInfo* info, UINT index) : FInfo(info) {
        if (FAILED(info->GetFuncDesc(index, &FDesc)))
            FDesc = nullptr;
    }
    TFuncDesc(const TFuncDesc&) = delete;
    TFuncDesc& operator=(const TFuncDesc&) = delete;
    ~TFuncDesc() {
        if (FDesc)
            FInfo->ReleaseFuncDesc(FDesc);
    }
    const FUNCDESC* Get() const { return FDesc; }

private:
    ITypeInfo* FInfo;
    FUNCDESC* FDesc = nullptr;
};

bool PointsTo(const ELEMDESC& parameter, VARTYPE wanted) {
    const TYPEDESC& type = parameter.tdesc;
    if (type.vt != VT_PTR || !type.lptdesc)
        return false;
    const VARTYPE target = type.lptdesc->vt;
    return target == wanted || (wanted == VT_I4 && target == VT_INT);
}

// The object's own dual interface, when its n-th own method (counted from 1) takes pointers
// to exactly these types. The program knows these methods by place only, so it calls them
// only after the object's own description confirms what is there; anything else is an error,
// never a call into the unknown.
template <class T>
TComPtr<T> DualInterface(const QString& call, IDispatch* object, const QString& what, int ownMethod,
                         std::initializer_list<VARTYPE> parameters) {
    TComPtr<ITypeInfo> info;
    HRESULT result = object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Out());
    if (FAILED(result) || !info)
        Fail(call, QStringLiteral("%1 does not describe its interface (%2)")
                       .arg(what, HResultText(result)));
    bool dispatchOnly = false;
    {
        const TTypeAttr attr(call, info.Get());
        dispatchOnly = attr->typekind == TKIND_DISPATCH;
        if (dispatchOnly && !(attr->wTypeFlags & TYPEFLAG_FDUAL))
            Fail(call, QStringLiteral("%1 is not a dual interface.").arg(what));
    }
    if (dispatchOnly) {
        // The interface side of a dual interface.
        HREFTYPE reference = 0;
        TComPtr<ITypeInfo> side;
        result = info->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference);
        if (SUCCEEDED(result))
            result = info->GetRefTypeInfo(reference, side.Out());
        if (FAILED(result) || !side)
            Fail(call, QStringLiteral("%1 does not describe its interface (%2)")
                           .arg(what, HResultText(result)));
        info = std::move(side);
    }
    const TTypeAttr attr(call, info.Get());
    if (attr->typekind != TKIND_INTERFACE)
        Fail(call, QStringLiteral("%1 is not a dual interface.").arg(what));
    const IID iid = attr->guid;
    const SHORT wantedOffset = static_cast<SHORT>((7 + ownMethod - 1) * int(sizeof(void*)));
    bool matches = false;
    bool found = false;
    for (UINT i = 0; i < attr->cFuncs && !found; ++i) {
        const TFuncDesc function(info.Get(), i);
        const FUNCDESC* desc = function.Get();
        if (!desc || desc->oVft != wantedOffset)
            continue;
        found = true;
        // A method or a property's reader: at this level both are an entry of the table
        // that returns an HRESULT and fills what its pointers point to.
        matches = (desc->funckind == FUNC_PUREVIRTUAL || desc->funckind == FUNC_VIRTUAL) &&
                  desc->callconv == CC_STDCALL && desc->invkind != INVOKE_PROPERTYPUT &&
                  desc->invkind != INVOKE_PROPERTYPUTREF &&
                  desc->cParams == static_cast<SHORT>(parameters.size());
        SHORT n = 0;
        for (const VARTYPE type : parameters) {
            if (!matches)
                break;
            matches = PointsTo(desc->lprgelemdescParam[n++], type);
        }
    }
    if (!found)
        Fail(call, QStringLiteral("%1 has no method number %2.").arg(what).arg(ownMethod));
    if (!matches)
        Fail(call, QStringLiteral("method number %2 of %1 is not the one this program knows.")
                       .arg(what)
                       .arg(ownMethod));
    TComPtr<T> result2;
    result = object->QueryInterface(iid, result2.OutVoid());
    if (FAILED(result) || !result2)
        Fail(call,
             QStringLiteral("%1 does not give its interface (%2)").arg(what, HResultText(result)));
    return result2;
}

std::optional<qint64> CellAsInteger(VARIANT& cell) {
    TVariant number;
    if (FAILED(VariantChangeType(&number.Value, &cell, 0, VT_I8)))
        return std::nullopt;
    return number.Value.llVal;
}

// The size an array's element must have for the variant member it is read into.
ULONG ElementSize(VARTYPE type) {
    switch (type) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        return 8;
    case VT_BSTR:
        return sizeof(BSTR);
    case VT_VARIANT:
        return sizeof(VARIANT);
    default:
        return 0;
    }
}

} // namespace

QString HResultText(HRESULT result) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    QString text;
    if (length > 0 && buffer)
        text = QString::fromWCharArray(buffer, static_cast<qsizetype>(length)).trimmed();
    LocalFree(buffer);
    const QString code =
        QStringLiteral("0x%1").arg(static_cast<quint32>(result), 8, 16, QChar(u'0'));
    return text.isEmpty() ? QStringLiteral("error %1").arg(code)
                          : QStringLiteral("%1 (%2)").arg(text, code);
}

TViewerChannelTable ReadVariantTable(const VARIANT& table, qint64 count) {
    const QString call = QStringLiteral("GetChannels");
    const VARIANT* value = &table;
    if (value->vt == (VT_BYREF | VT_VARIANT)) {
        value = value->pvarVal;
        if (!value)
            Fail(call, QStringLiteral("the channel table is missing."));
    }
    if (!(value->vt & VT_ARRAY))
        Fail(call, QStringLiteral("the channel table is not an array."));
    SAFEARRAY* array =
        (value->vt & VT_BYREF) ? (value->pparray ? *value->pparray : nullptr) : value->parray;
    if (!array)
        Fail(call, QStringLiteral("the channel table is missing."));
    VARTYPE elementType = VT_EMPTY;
    if (FAILED(SafeArrayGetVartype(array, &elementType)))
        elementType = static_cast<VARTYPE>(value->vt & VT_TYPEMASK);
    const ULONG size = ElementSize(elementType);
    if (size == 0 || SafeArrayGetElemsize(array) != size)
        Fail(call, QStringLiteral("the cells of the channel table are of type %1, not numbers.")
                       .arg(elementType));

    TTableArrayShape shape;
    shape.Dimensions = static_cast<int>(SafeArrayGetDim(array));
    if (shape.Dimensions == 2) {
        LONG bounds[4] = {0, -1, 0, -1};
        if (FAILED(SafeArrayGetLBound(array, 1, &bounds[0])) ||
            FAILED(SafeArrayGetUBound(array, 1, &bounds[1])) ||
            FAILED(SafeArrayGetLBound(array, 2, &bounds[2])) ||
            FAILED(SafeArrayGetUBound(array, 2, &bounds[3])))
            Fail(call, QStringLiteral("the bounds of the channel table cannot be read."));
        shape.RowLow = bounds[0];
        shape.RowHigh = bounds[1];
        shape.ColumnLow = bounds[2];
        shape.ColumnHigh = bounds[3];
    }
    // The first index of SafeArrayGetElement is the leftmost dimension: the row.
    return ReadViewerTable(shape, count, [array, elementType](qint64 row, qint64 column) {
        LONG indexes[2] = {static_cast<LONG>(row), static_cast<LONG>(column)};
        if (elementType == VT_VARIANT) {
            TVariant cell;
            if (FAILED(SafeArrayGetElement(array, indexes, &cell.Value)))
                return std::optional<qint64>();
            return CellAsInteger(cell.Value);
        }
        TVariant cell;
        if (FAILED(SafeArrayGetElement(array, indexes, &cell.Value.llVal)))
            return std::optional<qint64>();
        cell.Value.vt = elementType;
        return CellAsInteger(cell.Value);
    });
}

QByteArray CallViewerThroughCom(const QString& classId, const QJsonObject& request) {
    const QString call = AutomationCallName(request);
    CLSID classID{};
    const std::wstring classText = classId.toStdWString();
    if (FAILED(CLSIDFromString(classText.c_str(), &classID)))
        Fail(call, QStringLiteral("%1 is not a class ID.").arg(classId));
    TComPtr<IUnknown> active;
    HRESULT result = GetActiveObject(classID, nullptr, active.Out());
    if (FAILED(result) || !active)
        Fail(call, QStringLiteral("DVBViewer is not running (%1)").arg(HResultText(result)));
    TComPtr<IDVBViewer3> viewer;
    result = active->QueryInterface(IID_IDVBViewer3, viewer.OutVoid());
    if (FAILED(result) || !viewer)
        Fail(call, QStringLiteral("DVBViewer does not offer its automation interface (%1)")
                       .arg(HResultText(result)));

    if (call == u"DataFolder") {
        const TComPtr<IDispatch> osd = ObjectProperty(call, viewer.Get(), L"OSD");
        const TComPtr<IDVBOSD> own = DualInterface<IDVBOSD>(call, osd.Get(), QStringLiteral("OSD"),
                                                            OSDDataFolderMethod, {VT_BSTR});
        BSTR folder = nullptr;
        result = own->GetDataFolder(&folder);
        const QString text = FromBstr(folder);
        SysFreeString(folder);
        if (FAILED(result))
            Fail(call, HResultText(result));
        return DataFolderReplyLine(text);
    }
    if (call == u"GetChannels") {
        const TComPtr<IDispatch> manager = ObjectProperty(call, viewer.Get(), L"ChannelManager");
        const TComPtr<IChannelCollection> own =
            DualInterface<IChannelCollection>(call, manager.Get(), QStringLiteral("ChannelManager"),
                                              ChannelTableMethod, {VT_VARIANT, VT_I4});
        TVariant table;
        LONG count = 0;
        result = own->GetChannelTable(&table.Value, &count);
        if (FAILED(result))
            Fail(call, HResultText(result));
        return GetChannelsReplyLine(ReadVariantTable(table.Value, count));
    }
    if (call == u"SetCurrentChannelNr") {
        const qint64 number = request.value(u"value").toInteger(-1);
        if (number < 0 || number > std::numeric_limits<LONG>::max())
            Fail(call, QStringLiteral("there is no channel number %1.").arg(number));
        PutIntegerProperty(call, viewer.Get(), L"CurrentChannelNr", static_cast<LONG>(number));
        return SetCurrentChannelNrReplyLine();
    }
    Fail(call, QStringLiteral("DVBViewer knows no such call."));
}
