#include "tessed40.h"

#include <cstring>
#include <string>

#include "edit.h"

struct tessed_edit {
    tessed::Edit edit;
};

namespace {
std::string str(const char* s) { return s ? s : ""; }

// Nothing thrown inside the component may cross into a host written in C: a
// failure becomes the member's documented failure result.
template <class R, class F>
R guarded(R failure, F&& f) {
    try {
        return f();
    } catch (...) {
        return failure;
    }
}

template <class F>
void guarded(F&& f) {
    try {
        f();
    } catch (...) {
    }
}

size_t copyOut(const std::string& v, char* buf, size_t size) {
    if (buf && size > 0) {
        size_t n = v.size() < size - 1 ? v.size() : size - 1;
        std::memcpy(buf, v.data(), n);
        buf[n] = '\0';
    }
    return v.size();
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
void tessed_edit_destroy(tessed_edit* e) { delete e; }

int tessed_edit_CanRun(tessed_edit* e, const char* l) {
    return guarded(0, [&] { return e->edit.CanRun(str(l)) ? 1 : 0; });
}
int32_t tessed_edit_DOINFOXML(tessed_edit* e, const char* f) {
    return guarded(int32_t{2}, [&] { return e->edit.DOINFOXML(str(f)); });
}
int32_t tessed_edit_MAKECSV(tessed_edit* e, const char* f, const char* c) {
    return guarded(int32_t{2}, [&] { return e->edit.MAKECSV(str(f), str(c)); });
}
void tessed_edit_Show(tessed_edit* e) {
    guarded([&] { e->edit.Show(); });
}
void tessed_edit_Reset(tessed_edit* e) { e->edit.Reset(); }
void tessed_edit_put_Logging(tessed_edit* e, int v) { e->edit.setLogging(v != 0); }
int tessed_edit_get_Logging(const tessed_edit* e) { return e->edit.Logging() ? 1 : 0; }
void tessed_edit_put_SysAddressGateway(tessed_edit* e, int32_t v) { e->edit.setSysAddressGateway(v); }
int32_t tessed_edit_get_SysAddressGateway(const tessed_edit* e) { return e->edit.SysAddressGateway(); }
void tessed_edit_put_GotoBusIN(tessed_edit* e, int32_t v) { e->edit.setGotoBusIN(v); }
int32_t tessed_edit_get_GotoBusIN(const tessed_edit* e) { return e->edit.GotoBusIN(); }
void tessed_edit_put_KOGateway(tessed_edit* e, int32_t v) { e->edit.setKOGateway(v); }
int32_t tessed_edit_get_KOGateway(const tessed_edit* e) { return e->edit.KOGateway(); }
void tessed_edit_put_KRZProjectFile(tessed_edit* e, const char* v) { e->edit.setKRZProjectFile(str(v)); }
size_t tessed_edit_get_KRZProjectFile(const tessed_edit* e, char* b, size_t n) {
    return copyOut(e->edit.KRZProjectFile(), b, n);
}
void tessed_edit_put_EnabledLexora(tessed_edit* e, int v) { e->edit.setEnabledLexora(v != 0); }
int tessed_edit_get_EnabledLexora(const tessed_edit* e) { return e->edit.EnabledLexora() ? 1 : 0; }
void tessed_edit_put_ParentLang(tessed_edit* e, const char* v) { e->edit.setParentLang(str(v)); }
size_t tessed_edit_get_ParentLang(const tessed_edit* e, char* b, size_t n) {
    return copyOut(e->edit.ParentLang(), b, n);
}
void tessed_edit_put_ProjectName(tessed_edit* e, const char* v) { e->edit.setProjectName(str(v)); }
size_t tessed_edit_get_ProjectName(const tessed_edit* e, char* b, size_t n) {
    return copyOut(e->edit.ProjectName(), b, n);
}
void tessed_edit_put_ProjectFile(tessed_edit* e, const char* v) { e->edit.setProjectFile(str(v)); }
size_t tessed_edit_get_ProjectFile(const tessed_edit* e, char* b, size_t n) {
    return copyOut(e->edit.ProjectFile(), b, n);
}
void tessed_edit_put_ParentEXEname(tessed_edit* e, const char* v) { e->edit.setParentEXEname(str(v)); }
size_t tessed_edit_get_ParentEXEname(const tessed_edit* e, char* b, size_t n) {
    return copyOut(e->edit.ParentEXEname(), b, n);
}
void tessed_edit_put_Modal(tessed_edit* e, int v) { e->edit.setModal(v != 0); }
int tessed_edit_get_Modal(const tessed_edit* e) { return e->edit.Modal() ? 1 : 0; }
void tessed_edit_put_FileToOpen(tessed_edit* e, const char* v) { e->edit.setFileToOpen(str(v)); }
size_t tessed_edit_get_FileToOpen(const tessed_edit* e, char* b, size_t n) {
    return copyOut(e->edit.FileToOpen(), b, n);
}
void tessed_edit_put_ParentHandle(tessed_edit* e, int64_t v) { e->edit.setParentHandle(v); }
int64_t tessed_edit_get_ParentHandle(const tessed_edit* e) { return e->edit.ParentHandle(); }
void tessed_edit_put_WindowsState(tessed_edit* e, int32_t v) {
    guarded([&] { e->edit.setWindowsState(v); });
}
void tessed_edit_EndAPP(tessed_edit* e) {
    guarded([&] { e->edit.EndAPP(); });
}
int tessed_edit_get_TEXTID(const tessed_edit* e) { return e->edit.TEXTID() ? 1 : 0; }
void tessed_edit_put_TEXTID(tessed_edit* e, int v) { e->edit.setTEXTID(v != 0); }

void tessed_edit_set_AppEnd(tessed_edit* e, tessed_app_end_fn fn, void* user) {
    if (!fn)
        e->edit.setAppEndHandler(nullptr);
    else
        e->edit.setAppEndHandler([fn, user] { fn(user); });
}

}  // extern "C"
