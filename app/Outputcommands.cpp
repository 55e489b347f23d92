// The menu items that show the output and import windows: each window works on
// the document open when it is shown, and what it adds to the document is one
// undo step with the picture and the layer panel brought up to date.

#include "app/Exportforms.h"
#include "app/Gerberform.h"
#include "app/Graphtoolform.h"
#include "app/Importform.h"
#include "app/Mainform.h"
#include "app/Menus.h"
#include "app/Printform.h"
#include "import/Vemoimport.h"
#include "model/Vemodocument.h"
#include "states/Vemoeditstep.h"

namespace app {

void TVemoForm::MakeOutputWindows() {
    printForm_ = new TPrintForm(this);
    importForm_ = new TVemoImportForm(settingsPath_, this);
    gerberForm_ = new TGerberForm(&resources_, this);
    // The tool's own file beside zelko.ini, the one `zelko graph` reads.
    graphToolForm_ =
        new TGraphToolForm(TLineGraphUnit::SettingsPathBeside(settingsPath_), this, settingsPath_);

    importForm_->imported = [this](const TVemoImportResult& result) {
        if (!context_) return;
        TEditStep(*context_, result.layersCreated ? TStepKind::Objects : TStepKind::Root).Commit();
        RefreshLayers();
        context_->Invalidate();
    };
    graphToolForm_->Frame()->added = [this](TVemoGroup*) {
        if (!context_) return;
        TEditStep(*context_, TStepKind::Root).Commit();
        context_->Invalidate();
    };

    menus_->SetCommand("print", [this] {
        printForm_->SetDocument(&context_->Document());
        printForm_->written = [this](const std::string& text) { ShowWritten(text); };
        printForm_->exec();
    });
    menus_->SetCommand("import_vemo", [this] {
        context_->PressTool("select");
        const std::optional<std::string> file = AskOpenFileName(TFileKind::Legacy);
        if (!file || file->empty()) return;
        std::string error;
        if (!importForm_->Load(*file, &context_->Document(), error)) {
            ShowError(error);
            return;
        }
        importForm_->exec();
    });
    menus_->SetCommand("export_gerber", [this] {
        gerberForm_->SetDocument(&context_->Document());
        gerberForm_->exec();
    });
    // The picture exports live for one command.
    menus_->SetCommand("export_bitmap", [this] {
        TExportBmpForm form(&context_->Document(), this, settingsPath_);
        form.background = &context_->Background();
        const auto tell = form.tell;
        form.tell = [this, tell](bool ok, const std::string& text) {
            ok ? ShowWritten(text) : tell(ok, text);
        };
        form.exec();
    });
    menus_->SetCommand("export_emf", [this] {
        TExportEmfForm form(&context_->Document(), this);
        form.background = &context_->Background();
        const auto tell = form.tell;
        form.tell = [this, tell](bool ok, const std::string& text) {
            ok ? ShowWritten(text) : tell(ok, text);
        };
        form.exec();
    });
    menus_->SetCommand("graph_tool", [this] {
        graphToolForm_->Frame()->SetDocument(&context_->Document());
        graphToolForm_->exec();
    });
}

}  // namespace app
