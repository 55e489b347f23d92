#pragma once
// What the File menu does with documents: new, open, write (save under the
// document's own name), save (save as), opening a recent file, and loading a
// background picture. File names are asked through TVemoUi, so the commands
// run the same under the real dialogs and under a test's answers.
//
// Every save goes through the context's WriteDocument (a safe replace of the
// file); a failed save says why and leaves the document modified. A document
// that cannot be read is reported and the open document stays.

#include <functional>
#include <memory>
#include <string>

class TVemoDocument;
class TVemoEventContext;

class TFileCommands {
public:
    // The document "new" starts from: the program's default document when
    // there is one, else a new empty one; never with a file name.
    using StartingDocument = std::function<std::unique_ptr<TVemoDocument>()>;

    TFileCommands(TVemoEventContext& context, StartingDocument starting);

    // Each answers whether it changed the open document or its file.
    bool New();
    bool Open();
    // Opens path (a recent-file entry), after asking about unsaved changes.
    bool OpenRecent(const std::string& path);
    // Saves under the document's name, asking for one when it has none.
    bool Write();
    // Asks for a name and saves under it.
    bool SaveAs();
    // The background picture: the area takes the picture's aspect ratio at
    // its present width, and the picture is shown behind it.
    bool LoadBackground();

    // Reads path and makes it the open document (no question asked); false,
    // with the reason shown, when it cannot be read.
    bool OpenFile(const std::string& path);

private:
    void Install(std::unique_ptr<TVemoDocument> document);

    TVemoEventContext& context_;
    StartingDocument starting_;
};
