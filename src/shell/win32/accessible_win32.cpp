// The question's task for screen readers: the accessible description of each answer check box.
//
// The board draws the task itself, so no control carries it. Each check box answers
// WM_GETOBJECT for its client object with the system's own accessible object wrapped: every call
// goes to the system's object but the description, which is the task of the check box's
// question, read at the moment it is asked for. Nothing is drawn differently.
//
// The interface is written as a table of function pointers (the C form of the COM headers), so
// that the program has no virtual functions of its own.
#define CINTERFACE
#include <windows.h>
// After windows.h, which they need.
#include <oleacc.h>

#include <new>
#include <string>

#include "bank/picture_ref.h"
#include "board/screen.h"
#include "platform/win32/cp1251_win32.h"
#include "shell/globals.h"
#include "shell/win32/accessible_win32.h"

namespace {

// IAccessible's identifier, written out: the import library takes oleacc.dll's exported
// IID_IAccessible for a function and links its thunk's bytes in its place.
constexpr GUID kAccessibleIid = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The check boxes' own window procedure (the "button" class's), kept when they are subclassed.
WNDPROC gButtonProc = nullptr;

// The task of the question whose answer `control` is, or an empty text.
std::wstring TaskOf(HWND control) {
  for (const SingleVisualEntry2& slot : OnScreen2.Entry) {
    if (slot.Question < 0 || slot.Question >= Topic_test.Count) continue;
    for (int k = 0; k < 12; ++k)
      if (slot.hVrnt[k] == control) {
        const QuestionClass* q = Topic_test.Get(slot.Question);
        // A picture is read as its text.
        if (slot.Pictures.bAny) return cp1251::TextToWide(picref::AltText(q->Task).c_str(), true);
        return cp1251::TextToWide(q->Task, q->bUtf8);
      }
  }
  return std::wstring();
}

struct TaskAccessible {
  IAccessible face;  // first: the object's address is its interface's
  LONG references;
  IAccessible* inner;
  HWND control;
};

TaskAccessible* Self(IAccessible* face) {
  return reinterpret_cast<TaskAccessible*>(face);
}
IAccessible* Inner(IAccessible* face) {
  return Self(face)->inner;
}

HRESULT STDMETHODCALLTYPE QueryInterface(IAccessible* face, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, kAccessibleIid)) {
    *object = face;
    InterlockedIncrement(&Self(face)->references);
    return S_OK;
  }
  // Whatever else the system's object offers (its window, the enumeration of its children).
  return Inner(face)->lpVtbl->QueryInterface(Inner(face), riid, object);
}
ULONG STDMETHODCALLTYPE AddRef(IAccessible* face) {
  return static_cast<ULONG>(InterlockedIncrement(&Self(face)->references));
}
ULONG STDMETHODCALLTYPE Release(IAccessible* face) {
  const LONG left = InterlockedDecrement(&Self(face)->references);
  if (left == 0) {
    Inner(face)->lpVtbl->Release(Inner(face));
    delete Self(face);
  }
  return static_cast<ULONG>(left);
}
HRESULT STDMETHODCALLTYPE GetTypeInfoCount(IAccessible* face, UINT* count) {
  return Inner(face)->lpVtbl->GetTypeInfoCount(Inner(face), count);
}
HRESULT STDMETHODCALLTYPE GetTypeInfo(IAccessible* face, UINT n, LCID locale, ITypeInfo** info) {
  return Inner(face)->lpVtbl->GetTypeInfo(Inner(face), n, locale, info);
}
HRESULT STDMETHODCALLTYPE GetIDsOfNames(IAccessible* face, REFIID riid, LPOLESTR* names, UINT count,
                                        LCID locale, DISPID* ids) {
  return Inner(face)->lpVtbl->GetIDsOfNames(Inner(face), riid, names, count, locale, ids);
}
HRESULT STDMETHODCALLTYPE Invoke(IAccessible* face, DISPID id, REFIID riid, LCID locale, WORD flags,
                                 DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                 UINT* bad) {
  return Inner(face)->lpVtbl->Invoke(Inner(face), id, riid, locale, flags, parameters, result,
                                     exception, bad);
}
HRESULT STDMETHODCALLTYPE get_accParent(IAccessible* face, IDispatch** parent) {
  return Inner(face)->lpVtbl->get_accParent(Inner(face), parent);
}
HRESULT STDMETHODCALLTYPE get_accChildCount(IAccessible* face, LONG* count) {
  return Inner(face)->lpVtbl->get_accChildCount(Inner(face), count);
}
HRESULT STDMETHODCALLTYPE get_accChild(IAccessible* face, VARIANT child, IDispatch** object) {
  return Inner(face)->lpVtbl->get_accChild(Inner(face), child, object);
}
HRESULT STDMETHODCALLTYPE get_accName(IAccessible* face, VARIANT child, BSTR* name) {
  return Inner(face)->lpVtbl->get_accName(Inner(face), child, name);
}
HRESULT STDMETHODCALLTYPE get_accValue(IAccessible* face, VARIANT child, BSTR* value) {
  return Inner(face)->lpVtbl->get_accValue(Inner(face), child, value);
}
HRESULT STDMETHODCALLTYPE get_accDescription(IAccessible* face, VARIANT child, BSTR* text) {
  if (text == nullptr) return E_POINTER;
  if (child.vt != VT_I4 || child.lVal != CHILDID_SELF)
    return Inner(face)->lpVtbl->get_accDescription(Inner(face), child, text);
  *text = nullptr;
  std::wstring task = TaskOf(Self(face)->control);
  if (task.empty()) return S_FALSE;
  *text = SysAllocStringLen(task.data(), static_cast<UINT>(task.size()));
  return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}
HRESULT STDMETHODCALLTYPE get_accRole(IAccessible* face, VARIANT child, VARIANT* role) {
  return Inner(face)->lpVtbl->get_accRole(Inner(face), child, role);
}
HRESULT STDMETHODCALLTYPE get_accState(IAccessible* face, VARIANT child, VARIANT* state) {
  return Inner(face)->lpVtbl->get_accState(Inner(face), child, state);
}
HRESULT STDMETHODCALLTYPE get_accHelp(IAccessible* face, VARIANT child, BSTR* help) {
  return Inner(face)->lpVtbl->get_accHelp(Inner(face), child, help);
}
HRESULT STDMETHODCALLTYPE get_accHelpTopic(IAccessible* face, BSTR* file, VARIANT child,
                                           LONG* topic) {
  return Inner(face)->lpVtbl->get_accHelpTopic(Inner(face), file, child, topic);
}
HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(IAccessible* face, VARIANT child, BSTR* keys) {
  return Inner(face)->lpVtbl->get_accKeyboardShortcut(Inner(face), child, keys);
}
HRESULT STDMETHODCALLTYPE get_accFocus(IAccessible* face, VARIANT* child) {
  return Inner(face)->lpVtbl->get_accFocus(Inner(face), child);
}
HRESULT STDMETHODCALLTYPE get_accSelection(IAccessible* face, VARIANT* children) {
  return Inner(face)->lpVtbl->get_accSelection(Inner(face), children);
}
HRESULT STDMETHODCALLTYPE get_accDefaultAction(IAccessible* face, VARIANT child, BSTR* action) {
  return Inner(face)->lpVtbl->get_accDefaultAction(Inner(face), child, action);
}
HRESULT STDMETHODCALLTYPE accSelect(IAccessible* face, LONG flags, VARIANT child) {
  return Inner(face)->lpVtbl->accSelect(Inner(face), flags, child);
}
HRESULT STDMETHODCALLTYPE accLocation(IAccessible* face, LONG* left, LONG* top, LONG* width,
                                      LONG* height, VARIANT child) {
  return Inner(face)->lpVtbl->accLocation(Inner(face), left, top, width, height, child);
}
HRESULT STDMETHODCALLTYPE accNavigate(IAccessible* face, LONG direction, VARIANT start,
                                      VARIANT* end) {
  return Inner(face)->lpVtbl->accNavigate(Inner(face), direction, start, end);
}
HRESULT STDMETHODCALLTYPE accHitTest(IAccessible* face, LONG x, LONG y, VARIANT* child) {
  return Inner(face)->lpVtbl->accHitTest(Inner(face), x, y, child);
}
HRESULT STDMETHODCALLTYPE accDoDefaultAction(IAccessible* face, VARIANT child) {
  return Inner(face)->lpVtbl->accDoDefaultAction(Inner(face), child);
}
HRESULT STDMETHODCALLTYPE put_accName(IAccessible* face, VARIANT child, BSTR name) {
  return Inner(face)->lpVtbl->put_accName(Inner(face), child, name);
}
HRESULT STDMETHODCALLTYPE put_accValue(IAccessible* face, VARIANT child, BSTR value) {
  return Inner(face)->lpVtbl->put_accValue(Inner(face), child, value);
}

IAccessibleVtbl gTable = {
    QueryInterface,
    AddRef,
    Release,
    GetTypeInfoCount,
    GetTypeInfo,
    GetIDsOfNames,
    Invoke,
    get_accParent,
    get_accChildCount,
    get_accChild,
    get_accName,
    get_accValue,
    get_accDescription,
    get_accRole,
    get_accState,
    get_accHelp,
    get_accHelpTopic,
    get_accKeyboardShortcut,
    get_accFocus,
    get_accSelection,
    get_accDefaultAction,
    accSelect,
    accLocation,
    accNavigate,
    accHitTest,
    accDoDefaultAction,
    put_accName,
    put_accValue,
};

LRESULT CALLBACK AnswerProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
    void* standard = nullptr;
    if (SUCCEEDED(CreateStdAccessibleObject(control, OBJID_CLIENT, kAccessibleIid, &standard))) {
      auto* wrapped = new (std::nothrow)
          TaskAccessible{{&gTable}, 1, static_cast<IAccessible*>(standard), control};
      if (wrapped == nullptr) {
        static_cast<IAccessible*>(standard)->lpVtbl->Release(static_cast<IAccessible*>(standard));
      } else {
        // Handing the object over marshals it, which needs COM on this thread: set up at the
        // first request (a program no reader ever asks never loads it).
        static const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        (void)com;
        LRESULT result =
            LresultFromObject(kAccessibleIid, wParam, reinterpret_cast<IUnknown*>(&wrapped->face));
        Release(&wrapped->face);  // the result holds its own reference
        return result;
      }
    }
  }
  return CallWindowProcW(gButtonProc, control, message, wParam, lParam);
}

}  // namespace

void ExposeTaskOf(HWND control) {
  if (control == nullptr) return;
  // Only the answers' check boxes: the board's OK button has a text of its own to say.
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  if (lstrcmpiW(name, L"button") != 0 ||
      (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) != BS_AUTOCHECKBOX)
    return;
  WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
  if (own == AnswerProc) return;
  if (gButtonProc == nullptr) gButtonProc = own;
  if (own != gButtonProc) return;  // someone else's procedure: left alone
  SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnswerProc));
}
