#pragma once
// The small dialogs of the project window, each a view of its core model:
// frmNewName (a name), frmLog (a compile run with its log) and frmImportPrj
// (scenarios of another project to import).
#include <optional>
#include <string>
#include <vector>

#include "editor/selection_dialogs.h"
#include "project/session.h"

class QWidget;

namespace tessed::ui {

// frmNewName. Shows the model's texts, keeps the name within its maximum
// length (typing and pasting), refuses an empty name with text 1033 and stays
// open; Enter is OK, Escape Cancel. The confirmed name, or nothing.
std::optional<std::string> AskName(QWidget* parent, editor::NewNameDialog& model);
// The project window's "new": at most 15 characters, purpose "NEWSCRIPT".
std::optional<std::string> AskNewScenarioName(QWidget* parent);

// frmLog. Runs the prepared compile run on a worker thread while the window
// shows its log lines with their icons, the progress bar and the last line;
// Cancel asks the run to stop after the scenario in progress. OK and the
// window's close are disabled until the run has ended; the run's closing
// message (text 1630, the summary, or text 1635) is shown at its end. The
// window is modal for the caller and returns after the user closed it; the
// caller then finishes the run on its own thread (ProjectSession::
// FinishCompile).
compiler::CompileResult RunCompileWindow(QWidget* parent, compiler::CompileRun& run);
// frmLog in mode "LEXORA": prepares and starts the configurator
// (configurator::PrepareConfigurator with the host's project file) and shows
// 1114 with the reason when that fails. The editor's tool "runLX".
compiler::CompileResult RunConfiguratorWindow(QWidget* parent);

// frmImportPrj. Lists `rows` with check boxes (none checked), "select all",
// OK and Cancel (Enter and Escape). True on OK, with the rows' check marks
// updated; false when cancelled.
bool ChooseScenariosToImport(QWidget* parent, std::vector<project::ImportRow>& rows);

}  // namespace tessed::ui
