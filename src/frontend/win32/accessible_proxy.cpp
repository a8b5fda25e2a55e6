// The object a screen reader gets for a control or form: the system's own
// standard object, with what the core declares put first. It finds the
// control through its window at every call, so a control gone since costs
// nothing but the system's answers.
#include <oleacc.h>

#include "frontend/win32/accessible.hpp"
#include "frontend/win32/records.hpp"
#include "frontend/win32/win32_host.hpp"

namespace vodivuri::win32 {

using toolkit::AccessRole;
using toolkit::ControlKind;

namespace {

// The interfaces' numbers, here rather than from an import library: one of
// those names a stub of the DLL's export instead (liboleacc's IID_IAccessible).
constexpr GUID kIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIEnumVariant = {0x00020404, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIOleWindow = {0x00000114, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIAccessible = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

bool isSelf(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The part a child id names (1 and on), or null.
const toolkit::ControlPart* partOf(const toolkit::Control& c, const VARIANT& child) {
  if (child.vt != VT_I4 || child.lVal < 1) return nullptr;
  const auto index = static_cast<std::size_t>(child.lVal - 1);
  return index < c.parts().size() ? &c.parts()[index] : nullptr;
}

bool pressable(const toolkit::Control& c) {
  return c.kind() == ControlKind::CheckBox || c.kind() == ControlKind::OptionButton ||
         c.kind() == ControlKind::Button || static_cast<bool>(c.onClick);
}

class Proxy final : public IAccessible {
 public:
  Proxy(IAccessible* inner, HWND hwnd, std::shared_ptr<Win32Host*> host,
        Accessibility::AllocString alloc)
      : inner_(inner), hwnd_(hwnd), host_(std::move(host)), alloc_(alloc) {
    inner_->AddRef();
  }
  Proxy(const Proxy&) = delete;
  Proxy& operator=(const Proxy&) = delete;

  // IUnknown. Only the interfaces a window's object answers for; IMarshal
  // stays the system's business, so that COM marshals this object.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, kIUnknown) || IsEqualIID(iid, kIDispatch) ||
        IsEqualIID(iid, kIAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    if (IsEqualIID(iid, kIOleWindow) || IsEqualIID(iid, kIEnumVariant)) {
      return inner_->QueryInterface(iid, out);
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: the system object's.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    return inner_->GetTypeInfoCount(n);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
    return inner_->GetTypeInfo(i, l, t);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT n, LCID l,
                                          DISPID* ids) override {
    return inner_->GetIDsOfNames(iid, names, n, l, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID l, WORD f, DISPPARAMS* p, VARIANT* r,
                                   EXCEPINFO* e, UINT* a) override {
    return inner_->Invoke(id, iid, l, f, p, r, e, a);
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return inner_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    const toolkit::Control* c = control();
    if (c == nullptr || c->parts().empty()) return inner_->get_accChildCount(count);
    if (count == nullptr) return E_POINTER;
    *count = static_cast<LONG>(c->parts().size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    const toolkit::Control* c = control();
    if (c == nullptr || c->parts().empty()) return inner_->get_accChild(child, out);
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return partOf(*c, child) != nullptr ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    const toolkit::Control* c = control();
    if (c == nullptr) return inner_->get_accName(child, name);
    if (name == nullptr) return E_POINTER;
    std::string text;
    if (isSelf(child)) {
      // The toolbar is heard as the button the keyboard is on.
      const int part = c->hasFocus() ? c->focusedPart() : -1;
      text = part >= 0 ? c->parts()[static_cast<std::size_t>(part)].name : c->accessibleName();
    } else if (const toolkit::ControlPart* p = partOf(*c, child)) {
      text = p->name;
    } else {
      return inner_->get_accName(child, name);
    }
    return answer(text, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    const toolkit::Control* c = control();
    if (c == nullptr || !isSelf(child) || c->role() != AccessRole::ReadOut) {
      return inner_->get_accValue(child, value);
    }
    if (value == nullptr) return E_POINTER;
    return answer(c->caption(), value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    const toolkit::Control* c = control();
    if (c == nullptr) return inner_->get_accDescription(child, description);
    if (description == nullptr) return E_POINTER;
    if (isSelf(child)) return answer(c->accessibleDescription(), description);
    if (const toolkit::ControlPart* p = partOf(*c, child))
      return answer(p->description, description);
    return inner_->get_accDescription(child, description);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    Win32Host* host = *host_;
    if (host == nullptr || role == nullptr) return inner_->get_accRole(child, role);
    const toolkit::Control* c = control();
    if (isSelf(child) && (c != nullptr || host->formRecord(hwnd_) != nullptr)) {
      role->vt = VT_I4;
      role->lVal = msaaRole(*host, hwnd_);
      return S_OK;
    }
    if (c != nullptr && partOf(*c, child) != nullptr) {
      role->vt = VT_I4;
      role->lVal = ROLE_SYSTEM_PUSHBUTTON;
      return S_OK;
    }
    return inner_->get_accRole(child, role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    Win32Host* host = *host_;
    const toolkit::Control* c = control();
    if (host == nullptr || c == nullptr || state == nullptr)
      return inner_->get_accState(child, state);
    if (isSelf(child)) {
      state->vt = VT_I4;
      state->lVal = msaaState(*host, hwnd_);
      return S_OK;
    }
    if (partOf(*c, child) != nullptr) {
      state->vt = VT_I4;
      state->lVal = STATE_SYSTEM_FOCUSABLE;
      if (c->hasFocus() && c->focusedPart() == child.lVal - 1) state->lVal |= STATE_SYSTEM_FOCUSED;
      return S_OK;
    }
    return inner_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return inner_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return inner_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return inner_->get_accKeyboardShortcut(child, keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    const toolkit::Control* c = control();
    if (c == nullptr || focus == nullptr || !c->hasFocus() || c->focusedPart() < 0) {
      return inner_->get_accFocus(focus);
    }
    focus->vt = VT_I4;
    focus->lVal = c->focusedPart() + 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    return inner_->get_accSelection(selection);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    const toolkit::Control* c = control();
    if (c == nullptr || !isSelf(child) || !pressable(*c)) {
      return inner_->get_accDefaultAction(child, action);
    }
    if (action == nullptr) return E_POINTER;
    return answer("Pulsar", action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return inner_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h,
                                        VARIANT child) override {
    Win32Host* host = *host_;
    const toolkit::Control* c = control();
    const toolkit::ControlPart* p = c != nullptr ? partOf(*c, child) : nullptr;
    if (host == nullptr || p == nullptr || x == nullptr || y == nullptr || w == nullptr ||
        h == nullptr) {
      return inner_->accLocation(x, y, w, h, child);
    }
    POINT corner{host->toPixelsX(p->rect.left), host->toPixelsY(p->rect.top)};
    MapWindowPoints(hwnd_, nullptr, &corner, 1);
    *x = corner.x;
    *y = corner.y;
    *w = host->toPixelsX(p->rect.width);
    *h = host->toPixelsY(p->rect.height);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG dir, VARIANT start, VARIANT* end) override {
    return inner_->accNavigate(dir, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    return inner_->accHitTest(x, y, child);
  }
  // A press from the screen reader, run from the host's own loop, not here.
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    Win32Host* host = *host_;
    const toolkit::Control* c = control();
    if (host == nullptr || c == nullptr || !isSelf(child) || !pressable(*c)) {
      return inner_->accDoDefaultAction(child);
    }
    PostMessageA(host->hostWindow(), Win32Host::kAccessiblePress, 0,
                 reinterpret_cast<LPARAM>(hwnd_));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return inner_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return inner_->put_accValue(child, value);
  }

 private:
  ~Proxy() { inner_->Release(); }

  const toolkit::Control* control() const {
    Win32Host* host = *host_;
    if (host == nullptr) return nullptr;
    const ControlRecord* record = host->controlRecord(hwnd_);
    return record != nullptr ? record->control : nullptr;
  }
  HRESULT answer(const std::string& text, BSTR* out) const {
    *out = text.empty() ? nullptr : toBstr(alloc_, text);
    if (text.empty()) return S_FALSE;
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  LONG refs_ = 1;
  IAccessible* inner_;
  HWND hwnd_;
  std::shared_ptr<Win32Host*> host_;
  Accessibility::AllocString alloc_;
};

}  // namespace

const GUID& accessibleInterface() {
  return kIAccessible;
}

IAccessible* proxyFor(IAccessible* standard, HWND hwnd, std::shared_ptr<Win32Host*> host,
                      Accessibility::AllocString alloc) {
  return new Proxy(standard, hwnd, std::move(host), alloc);
}

}  // namespace vodivuri::win32
