#pragma once
// The version box: the program's version artwork (a document kept inside the
// program) drawn at half size with the program's version written into it.

#include <QDialog>
#include <QImage>

namespace app {

class TVersionForm : public QDialog {
    Q_OBJECT
public:
    // The text the artwork's "zelko_version" text becomes.
    static QString VersionText();

    explicit TVersionForm(QWidget* parent = nullptr);
    // Empty (0 x 0) when the artwork is missing or unreadable.
    const QImage& Picture() const { return picture_; }

    // The picture of artwork document bytes: every text "zelko_version"
    // reads version, the layer "zelko_back" is current, and the artwork is
    // drawn at half size with a margin of a tenth of its size around it.
    static QImage BuildPicture(const std::string& bytes, const QString& version);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

}  // namespace app
