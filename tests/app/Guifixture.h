#pragma once
// The editor window on the offscreen platform for the menu and panel tests,
// and a helper that answers the modal dialogs a command opens (file dialogs,
// message boxes, the program's own dialogs) one after the other.

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/Editor.h"
#include "app/Mainform.h"
#include "app/Vemoresource.h"
#include "model/Vemodocument.h"
#include "states/Vemostatebank.h"

// Runs the queued answers, each on the next modal widget that opens.
class TModalAnswers {
public:
    using Answer = std::function<void(QWidget*)>;

    TModalAnswers() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == last_ || answers_.empty()) return;
            last_ = modal;
            Answer answer = std::move(answers_.front());
            answers_.pop_front();
            ++answered_;
            // Out of this timer's call: an answer may open the next modal
            // (a question before replacing a file), which this timer answers.
            QTimer::singleShot(0, modal, [answer, modal] { answer(modal); });
        });
        timer_.start(5);
    }
    TModalAnswers& Then(Answer answer) {
        answers_.push_back(std::move(answer));
        return *this;
    }
    // A file dialog: choose path (or cancel when path is empty).
    TModalAnswers& File(const std::string& path) {
        return Then([path](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr) << "expected a file dialog, got " << w->metaObject()->className();
            if (path.empty()) {
                dialog->reject();
                return;
            }
            // Typed into the name field, as a user would.
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            name->setText(QString::fromStdString(path));
            // What the dialog's own Open or Save button does.
            QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
        });
    }
    // A message box: press the button; text, when given, must be its text.
    TModalAnswers& Box(QMessageBox::StandardButton button, const std::string& text = {}) {
        return Then([button, text](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr) << "expected a message box, got " << w->metaObject()->className();
            if (!text.empty()) {
                EXPECT_EQ(box->text().toStdString(), text);
            }
            ASSERT_NE(box->button(button), nullptr);
            box->button(button)->click();
        });
    }
    int Answered() const { return answered_; }
    bool Done() const { return answers_.empty(); }

private:
    QTimer timer_;
    std::deque<Answer> answers_;
    QPointer<QWidget> last_;
    int answered_ = 0;
};

class GuiTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        settingsPath = dir.filePath("zelko.ini").toStdString();
        resources.Load(ZELKO_BITMAP_DIR);
    }

    // The window on document (null: a new one), shown and started.
    std::unique_ptr<app::TVemoForm> Start(std::unique_ptr<TVemoDocument> document = nullptr) {
        auto form = std::make_unique<app::TVemoForm>(resources, settingsPath);
        form->Start(document ? std::move(document) : std::make_unique<TVemoDocument>());
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return form->Context() != nullptr; }));
        Settle();
        return form;
    }
    static void Settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
    std::string Path(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }

    QTemporaryDir dir;
    std::string settingsPath;
    TVemoResource resources;
};
