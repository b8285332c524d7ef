#include "MessageBox.h"

#include "OwnerWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QtGlobal>

namespace {

MessageBoxHook* currentHook = nullptr;

int ResultOf(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

} // namespace

MessageBoxHook::MessageBoxHook() : previous(currentHook) {
    currentHook = this;
}

MessageBoxHook::~MessageBoxHook() {
    currentHook = previous;
}

void MessageBoxHook::PushAnswer(int answer) {
    answers.push_back(answer);
}

int MessageBoxHook::Answer(const QString& text, const QString& caption, int type) {
    int answer = unscriptedAnswer;
    if (answers.empty()) {
        qWarning("MessageBox: no scripted answer for \"%s\" (caption \"%s\", type %d)",
                 qUtf8Printable(text), qUtf8Printable(caption), type);
    } else {
        answer = answers.front();
        answers.pop_front();
    }
    shown.push_back(MessageBoxRecord{text, caption, type, answer});
    return answer;
}

std::unique_ptr<QMessageBox> BuildMessageBox(QWidget* owner, const QString& text,
                                             const QString& caption, int type) {
    auto box = std::make_unique<QMessageBox>(OwnerOrActiveWindow(owner));
    box->setWindowTitle(caption);
    box->setText(text);
    // Checklist names and items appear in messages; none of them is markup.
    box->setTextFormat(Qt::PlainText);
    box->setIcon(QMessageBox::NoIcon);
    box->setWindowModality(Qt::ApplicationModal);
    switch (type) {
    case MB_YESNOCANCEL:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    case MB_OKCANCEL:
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    case MB_YESNO:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
        break;
    default:
        box->setStandardButtons(QMessageBox::Ok);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
        break;
    }
    return box;
}

int MessageBox(QWidget* owner, const QString& text, const QString& caption, int type) {
    if (currentHook != nullptr) {
        return currentHook->Answer(text, caption, type);
    }
    const std::unique_ptr<QMessageBox> box = BuildMessageBox(owner, text, caption, type);
    return ResultOf(box->exec());
}
