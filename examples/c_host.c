/* A host written in C that drives the editor through tessed40.h alone, as a
 * home-automation supervisor would: it says who it is, checks that the editor
 * can run, and shows the user interface modally on a project, waiting for the
 * AppEnd event.
 *
 *   c_host [--host NAME] [--lang CODE] [--no-window] [PROJECT.tdj]
 *
 * A host without a Qt event loop of its own sets Modal: Show then runs the
 * windows' loop itself and returns once the interface has ended. With
 * --no-window it only regenerates the project's derived files (DOINFOXML).
 * Exit code: 0 when the interface ended with AppEnd (or DOINFOXML gave 0),
 * 1 when the editor cannot run, otherwise the failing result. */
#include <stdio.h>
#include <string.h>

#include "tessed40.h"

static int app_ends = 0;

static void on_app_end(void* user) {
    (void)user;
    ++app_ends;
}

int main(int argc, char** argv) {
    const char* host = "CHOST";
    const char* lang = "";
    const char* project = "";
    int window = 1;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--host") == 0 && i + 1 < argc) host = argv[++i];
        else if (strcmp(argv[i], "--lang") == 0 && i + 1 < argc) lang = argv[++i];
        else if (strcmp(argv[i], "--no-window") == 0) window = 0;
        else project = argv[i];
    }

    tessed_edit* e = tessed_edit_create();
    if (!e) {
        fprintf(stderr, "c_host: the editor could not be created\n");
        return 1;
    }
    tessed_edit_put_ParentEXEname(e, host);
    tessed_edit_put_ParentLang(e, lang);

    char name[64];
    size_t need = tessed_edit_get_ParentEXEname(e, name, sizeof name);
    printf("host %s (%zu bytes)\n", name, need);

    int result = 0;
    if (!window) {
        result = tessed_edit_DOINFOXML(e, project);
        printf("DOINFOXML %d\n", result);
    } else {
        printf("CanRun %s\n", tessed_edit_CanRun(e, lang) ? "True" : "False");
        tessed_edit_set_AppEnd(e, on_app_end, NULL);
        tessed_edit_put_FileToOpen(e, project);
        tessed_edit_put_Modal(e, 1);
        tessed_edit_Show(e);
        /* Modal: the interface has ended when Show returns. */
        printf("AppEnd %d\n", app_ends);
        result = app_ends == 1 ? 0 : 2;
    }
    tessed_edit_destroy(e);
    return result;
}
