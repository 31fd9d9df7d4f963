#include "tessed40.h"

#include <cstring>
#include <string>

#include "edit.h"

struct tessed_edit {
    tessed::Edit edit;
};

namespace {
std::string str(const char* s) { return s ? s : ""; }

// Nothing thrown inside the component may cross into a host written in C (a
// failed allocation while a text is copied, for one): every entry point runs
// guarded, and a failure becomes the member's failure result. A null handle,
// which tessed_edit_create returns when it fails, gets the same answer.
template <class R, class F>
R guarded(const tessed_edit* e, R failure, F&& f) noexcept {
    if (!e) return failure;
    try {
        return f();
    } catch (...) {
        return failure;
    }
}

template <class F>
void guarded(const tessed_edit* e, F&& f) noexcept {
    if (!e) return;
    try {
        f();
    } catch (...) {
    }
}

// Copies a text out as the header describes; a value that cannot be read
// leaves an empty text and the length 0.
template <class F>
size_t copyOut(const tessed_edit* e, F&& value, char* buf, size_t size) noexcept {
    size_t length = 0;
    const bool ok = guarded(e, false, [&] {
        const std::string v = value();
        if (buf && size > 0) {
            size_t n = v.size() < size - 1 ? v.size() : size - 1;
            std::memcpy(buf, v.data(), n);
            buf[n] = '\0';
        }
        length = v.size();
        return true;
    });
    if (!ok && buf && size > 0) buf[0] = '\0';
    return length;
}
}  // namespace

extern "C" {

tessed_edit* tessed_edit_create(void) {
    try {
        return new tessed_edit;
    } catch (...) {
        return nullptr;
    }
}
void tessed_edit_destroy(tessed_edit* e) {
    try {
        delete e;
    } catch (...) {
    }
}

int tessed_edit_CanRun(tessed_edit* e, const char* l) {
    return guarded(e, 0, [&] { return e->edit.CanRun(str(l)) ? 1 : 0; });
}
int32_t tessed_edit_DOINFOXML(tessed_edit* e, const char* f) {
    return guarded(e, int32_t{2}, [&] { return e->edit.DOINFOXML(str(f)); });
}
int32_t tessed_edit_MAKECSV(tessed_edit* e, const char* f, const char* c) {
    return guarded(e, int32_t{2}, [&] { return e->edit.MAKECSV(str(f), str(c)); });
}
void tessed_edit_Show(tessed_edit* e) {
    guarded(e, [&] { e->edit.Show(); });
}
void tessed_edit_Reset(tessed_edit* e) {
    guarded(e, [&] { e->edit.Reset(); });
}
void tessed_edit_put_Logging(tessed_edit* e, int v) {
    guarded(e, [&] { e->edit.setLogging(v != 0); });
}
int tessed_edit_get_Logging(const tessed_edit* e) {
    return guarded(e, 0, [&] { return e->edit.Logging() ? 1 : 0; });
}
void tessed_edit_put_SysAddressGateway(tessed_edit* e, int32_t v) {
    guarded(e, [&] { e->edit.setSysAddressGateway(v); });
}
int32_t tessed_edit_get_SysAddressGateway(const tessed_edit* e) {
    return guarded(e, int32_t{0}, [&] { return e->edit.SysAddressGateway(); });
}
void tessed_edit_put_GotoBusIN(tessed_edit* e, int32_t v) {
    guarded(e, [&] { e->edit.setGotoBusIN(v); });
}
int32_t tessed_edit_get_GotoBusIN(const tessed_edit* e) {
    return guarded(e, int32_t{0}, [&] { return e->edit.GotoBusIN(); });
}
void tessed_edit_put_KOGateway(tessed_edit* e, int32_t v) {
    guarded(e, [&] { e->edit.setKOGateway(v); });
}
int32_t tessed_edit_get_KOGateway(const tessed_edit* e) {
    return guarded(e, int32_t{0}, [&] { return e->edit.KOGateway(); });
}
void tessed_edit_put_KRZProjectFile(tessed_edit* e, const char* v) {
    guarded(e, [&] { e->edit.setKRZProjectFile(str(v)); });
}
size_t tessed_edit_get_KRZProjectFile(const tessed_edit* e, char* b, size_t n) {
    return copyOut(
        e, [&] { return e->edit.KRZProjectFile(); }, b, n);
}
void tessed_edit_put_EnabledLexora(tessed_edit* e, int v) {
    guarded(e, [&] { e->edit.setEnabledLexora(v != 0); });
}
int tessed_edit_get_EnabledLexora(const tessed_edit* e) {
    return guarded(e, 0, [&] { return e->edit.EnabledLexora() ? 1 : 0; });
}
void tessed_edit_put_ParentLang(tessed_edit* e, const char* v) {
    guarded(e, [&] { e->edit.setParentLang(str(v)); });
}
size_t tessed_edit_get_ParentLang(const tessed_edit* e, char* b, size_t n) {
    return copyOut(
        e, [&] { return e->edit.ParentLang(); }, b, n);
}
void tessed_edit_put_ProjectName(tessed_edit* e, const char* v) {
    guarded(e, [&] { e->edit.setProjectName(str(v)); });
}
size_t tessed_edit_get_ProjectName(const tessed_edit* e, char* b, size_t n) {
    return copyOut(
        e, [&] { return e->edit.ProjectName(); }, b, n);
}
void tessed_edit_put_ProjectFile(tessed_edit* e, const char* v) {
    guarded(e, [&] { e->edit.setProjectFile(str(v)); });
}
size_t tessed_edit_get_ProjectFile(const tessed_edit* e, char* b, size_t n) {
    return copyOut(
        e, [&] { return e->edit.ProjectFile(); }, b, n);
}
void tessed_edit_put_ParentEXEname(tessed_edit* e, const char* v) {
    guarded(e, [&] { e->edit.setParentEXEname(str(v)); });
}
size_t tessed_edit_get_ParentEXEname(const tessed_edit* e, char* b, size_t n) {
    return copyOut(
        e, [&] { return e->edit.ParentEXEname(); }, b, n);
}
void tessed_edit_put_Modal(tessed_edit* e, int v) {
    guarded(e, [&] { e->edit.setModal(v != 0); });
}
int tessed_edit_get_Modal(const tessed_edit* e) {
    return guarded(e, 0, [&] { return e->edit.Modal() ? 1 : 0; });
}
void tessed_edit_put_FileToOpen(tessed_edit* e, const char* v) {
    guarded(e, [&] { e->edit.setFileToOpen(str(v)); });
}
size_t tessed_edit_get_FileToOpen(const tessed_edit* e, char* b, size_t n) {
    return copyOut(
        e, [&] { return e->edit.FileToOpen(); }, b, n);
}
void tessed_edit_put_ParentHandle(tessed_edit* e, int64_t v) {
    guarded(e, [&] { e->edit.setParentHandle(v); });
}
int64_t tessed_edit_get_ParentHandle(const tessed_edit* e) {
    return guarded(e, int64_t{0}, [&] { return e->edit.ParentHandle(); });
}
void tessed_edit_put_WindowsState(tessed_edit* e, int32_t v) {
    guarded(e, [&] { e->edit.setWindowsState(v); });
}
void tessed_edit_EndAPP(tessed_edit* e) {
    guarded(e, [&] { e->edit.EndAPP(); });
}
int tessed_edit_get_TEXTID(const tessed_edit* e) {
    return guarded(e, 0, [&] { return e->edit.TEXTID() ? 1 : 0; });
}
void tessed_edit_put_TEXTID(tessed_edit* e, int v) {
    guarded(e, [&] { e->edit.setTEXTID(v != 0); });
}

void tessed_edit_set_AppEnd(tessed_edit* e, tessed_app_end_fn fn, void* user) {
    guarded(e, [&] {
        if (!fn)
            e->edit.setAppEndHandler(nullptr);
        else
            e->edit.setAppEndHandler([fn, user] { fn(user); });
    });
}

void tessed_edit_set_HostActivate(tessed_edit* e, tessed_app_end_fn fn, void* user) {
    guarded(e, [&] {
        if (!fn)
            e->edit.setHostActivateHandler(nullptr);
        else
            e->edit.setHostActivateHandler([fn, user] { fn(user); });
    });
}

void tessed_edit_set_HostMinimise(tessed_edit* e, tessed_app_end_fn fn, void* user) {
    guarded(e, [&] {
        if (!fn)
            e->edit.setHostMinimiseHandler(nullptr);
        else
            e->edit.setHostMinimiseHandler([fn, user] { fn(user); });
    });
}

}  // extern "C"
