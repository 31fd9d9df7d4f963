/* C interface of the Tessaro scenario editor's host class, for hosts written
 * in other languages. One function per member of Edit, in member order.
 *
 * Conventions: Booleans are int (non-zero is True); texts are UTF-8. A text
 * getter copies the value with its terminating NUL into buf (at most size
 * bytes, cut when it does not fit) and returns the value's full length in
 * bytes, so a caller can size its buffer with a first call of size 0.
 *
 * No call lets a failure of the component reach the host. When a call cannot
 * be completed (memory exhausted, or a null handle, which tessed_edit_create
 * returns when it fails): a setter leaves the property as it was, a number or
 * Boolean getter returns 0, a text getter writes an empty text and returns 0,
 * CanRun returns 0, DOINFOXML and MAKECSV return 2 (cannot open). */
#ifndef TESSED40_H
#define TESSED40_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tessed_edit tessed_edit;
typedef void (*tessed_app_end_fn)(void* user);

tessed_edit* tessed_edit_create(void);
void tessed_edit_destroy(tessed_edit* e);

/* 1 */ int tessed_edit_CanRun(tessed_edit* e, const char* ParentLang);
/* 2 */ int32_t tessed_edit_DOINFOXML(tessed_edit* e, const char* FileTDJ);
/* 3 */ int32_t tessed_edit_MAKECSV(tessed_edit* e, const char* FileTDJ, const char* FileCSV);
/* 4 */ void tessed_edit_Show(tessed_edit* e);
/* 5 */ void tessed_edit_Reset(tessed_edit* e);
/* 6 */ void tessed_edit_put_Logging(tessed_edit* e, int v);
int tessed_edit_get_Logging(const tessed_edit* e);
/* 7 */ void tessed_edit_put_SysAddressGateway(tessed_edit* e, int32_t v);
int32_t tessed_edit_get_SysAddressGateway(const tessed_edit* e);
/* 8 */ void tessed_edit_put_GotoBusIN(tessed_edit* e, int32_t v);
int32_t tessed_edit_get_GotoBusIN(const tessed_edit* e);
/* 9 */ void tessed_edit_put_KOGateway(tessed_edit* e, int32_t v);
int32_t tessed_edit_get_KOGateway(const tessed_edit* e);
/* 10 */ void tessed_edit_put_KRZProjectFile(tessed_edit* e, const char* v);
size_t tessed_edit_get_KRZProjectFile(const tessed_edit* e, char* buf, size_t size);
/* 11 */ void tessed_edit_put_EnabledLexora(tessed_edit* e, int v);
int tessed_edit_get_EnabledLexora(const tessed_edit* e);
/* 12 */ void tessed_edit_put_ParentLang(tessed_edit* e, const char* v);
size_t tessed_edit_get_ParentLang(const tessed_edit* e, char* buf, size_t size);
/* 13 */ void tessed_edit_put_ProjectName(tessed_edit* e, const char* v);
size_t tessed_edit_get_ProjectName(const tessed_edit* e, char* buf, size_t size);
/* 14 */ void tessed_edit_put_ProjectFile(tessed_edit* e, const char* v);
size_t tessed_edit_get_ProjectFile(const tessed_edit* e, char* buf, size_t size);
/* 15 */ void tessed_edit_put_ParentEXEname(tessed_edit* e, const char* v);
size_t tessed_edit_get_ParentEXEname(const tessed_edit* e, char* buf, size_t size);
/* 16 */ void tessed_edit_put_Modal(tessed_edit* e, int v);
int tessed_edit_get_Modal(const tessed_edit* e);
/* 17 */ void tessed_edit_put_FileToOpen(tessed_edit* e, const char* v);
size_t tessed_edit_get_FileToOpen(const tessed_edit* e, char* buf, size_t size);
/* 18 */ void tessed_edit_put_ParentHandle(tessed_edit* e, int64_t v);
int64_t tessed_edit_get_ParentHandle(const tessed_edit* e);
/* 19 */ void tessed_edit_put_WindowsState(tessed_edit* e, int32_t v);
/* 20 */ void tessed_edit_EndAPP(tessed_edit* e);
/* 21 */ int tessed_edit_get_TEXTID(const tessed_edit* e);
void tessed_edit_put_TEXTID(tessed_edit* e, int v);

/* The AppEnd event: fn(user) is called when the user interface has closed. */
void tessed_edit_set_AppEnd(tessed_edit* e, tessed_app_end_fn fn, void* user);
/* The host window's notices (only with a ParentHandle): activate when the
   project window has closed, minimise when its minimise button is pressed. */
void tessed_edit_set_HostActivate(tessed_edit* e, tessed_app_end_fn fn, void* user);
void tessed_edit_set_HostMinimise(tessed_edit* e, tessed_app_end_fn fn, void* user);

#ifdef __cplusplus
}
#endif

#endif
