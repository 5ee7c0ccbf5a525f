#include "app/PrintCommands.h"

#include <QDir>
#include <QFileDialog>

#include <mutex>
#include <utility>

#include "app/CommandActions.h"
#include "app/QtPrinting.h"
#include "keyboard/CommandIds.h"
#include "session/CVT420Doc.h"
#include "view/CVT420View.h"

namespace tamsivane {
namespace {

bool HasSelection(const CVT420View* view) { return view != nullptr && view->HasSelection(); }

// The display lines a selection covers.  A stream dragged to the start of a
// row selects nothing on that row, so the row is not printed.
std::pair<int, int> SelectedLines(const Selection& selection) {
    const bool lastRowEmpty = !selection.rectangular && selection.endColumn < 0;
    return {selection.startRow, lastRowEmpty ? selection.endRow - 1 : selection.endRow};
}

// Print setup on a copy of the session's settings, so that the dialog runs
// without the session lock; OK stores the chosen printer in the session.
void PrintSetup(CVT420Doc& doc, QWidget* parent) {
    SettingsStore edited;
    {
        const SessionLock locked = doc.Locked();
        edited.CopyFrom(locked.Settings());
    }
    if (!RunPrintSetup(parent, edited)) return;
    {
        const SessionLock locked = doc.Locked();
        locked.Settings().SetPrinter(edited.GetPrinter({}));
    }
    doc.SetModified(true);
}

// Where the session prints into a PDF file (its choice, or no printer is
// installed), the user names the file first.  False when the user did not.
bool ReadyToPrint(CVT420Doc& doc, QWidget* parent) {
    const auto backend = std::dynamic_pointer_cast<QtPrintBackend>(doc.PrintBackendInUse());
    PrinterChoice choice;
    {
        const SessionLock locked = doc.Locked();
        choice = locked.Settings().GetPrinter({});
    }
    if (!backend || !backend->NeedsPdfFile(choice)) return true;
    QString suggested = QString::fromStdString(choice.driverName);
    if (!suggested.endsWith(".pdf", Qt::CaseInsensitive)) {
        suggested = QDir::home().filePath(QString::fromStdString(doc.Title()) + ".pdf");
    }
    QFileDialog dialog(parent, "Print to PDF File", suggested, "PDF Files (*.pdf)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("pdf");
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    backend->PrintNextToPdf(dialog.selectedFiles().front());
    return true;
}

} // namespace

void InstallPrintCommands(CommandActions& commands, PrintCommandTargets targets) {
    const auto idle = [targets] {
        const CVT420Doc* doc = targets.document();
        return doc != nullptr && doc->PrintingMode() == PrintMode::None;
    };
    const auto printSelection = [targets] {
        CVT420View* view = targets.view();
        if (!HasSelection(view) || !ReadyToPrint(view->Document(), targets.dialogParent)) return;
        const auto [first, last] = SelectedLines(view->CurrentSelection());
        view->Document().PrintLines(first, last);
    };
    const auto printPage = [targets] {
        CVT420Doc* doc = targets.document();
        if (doc != nullptr && ReadyToPrint(*doc, targets.dialogParent)) doc->PrintScreenPage();
    };

    commands.SetHandler(Command::PrintPage, {printPage, idle});
    commands.SetHandler(Command::PrintSelection,
                        {printSelection, [targets, idle] { return idle() && HasSelection(targets.view()); }});
    commands.SetHandler(Command::PrintAll, {[targets] {
                                                CVT420Doc* doc = targets.document();
                                                if (doc != nullptr &&
                                                    ReadyToPrint(*doc, targets.dialogParent)) {
                                                    doc->PrintAllLines();
                                                }
                                            },
                                            idle});
    commands.SetHandler(Command::Print, {[targets, printSelection, printPage] {
                                             if (HasSelection(targets.view())) {
                                                 printSelection();
                                             } else {
                                                 printPage();
                                             }
                                         },
                                         idle});
    commands.SetHandler(Command::PrintingMode,
                        {[targets] {
                             CVT420Doc* doc = targets.document();
                             if (doc == nullptr) return;
                             // Turning auto print on starts a document: into
                             // a PDF file, the user names the file first.
                             if (doc->PrintingMode() != PrintMode::AutoPrint &&
                                 !ReadyToPrint(*doc, targets.dialogParent)) {
                                 return;
                             }
                             doc->TogglePrintingMode();
                         },
                         [targets] { return targets.document() != nullptr; },
                         [targets] {
                             const CVT420Doc* doc = targets.document();
                             return doc != nullptr && doc->PrintingMode() == PrintMode::AutoPrint;
                         }});
    commands.SetHandler(Command::PrintSetup, {[targets] {
                                                  if (CVT420Doc* doc = targets.document())
                                                      PrintSetup(*doc, targets.dialogParent);
                                              },
                                              idle});
}

} // namespace tamsivane
