// SPDX-License-Identifier: MIT
#pragma once

#include "printing/printhost.h"

#include <QAction>
#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>

/**
 * A window laid out as the editor window is where printing touches it: tool-bar band with the
 * hidden page buttons, ruler, gutter, document editor, the preview's place and the status fields.
 */
class TestPrintHost final : public QMainWindow, public PrintHost
{
public:
    explicit TestPrintHost(QWidget* parent = nullptr)
        : QMainWindow(parent)
    {
        auto* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
        F_PVew = file->addAction(QStringLiteral("印刷プレビュー"));
        F_PVew->setObjectName(QStringLiteral("F_PVew"));
        F_PVew->setCheckable(true);
        auto* show = menuBar()->addMenu(QStringLiteral("表示"));
        VG = show->addAction(QStringLiteral("行番号"));
        VG->setCheckable(true);

        PopupMenu3 = new QMenu(this);
        for (const char* name : { "PView100", "PView80", "PView50", "PView20" }) {
            auto* item = PopupMenu3->addAction(QString::fromLatin1(name).mid(5) + u'%');
            item->setObjectName(QLatin1String(name));
            zoomItems.append(item);
        }

        auto* client = new QWidget(this);
        auto* column = new QVBoxLayout(client);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);

        auto* coolBar = new QFrame(client);
        auto* bands = new QHBoxLayout(coolBar);
        bands->setContentsMargins(2, 2, 2, 2);
        ToolBar1 = new QToolBar(coolBar);
        ToolBar1->addAction(QStringLiteral("印刷"));
        bands->addWidget(ToolBar1);
        Panel3 = new QFrame(coolBar);
        Panel3->setObjectName(QStringLiteral("Panel3"));
        auto* buttons = new QHBoxLayout(Panel3);
        buttons->setContentsMargins(0, 0, 0, 0);
        const QStringList captions { QStringLiteral("<<"), QStringLiteral("<"), QStringLiteral(">"),
                                     QStringLiteral(">>") };
        const QStringList hints { QStringLiteral("始めに戻る"), QStringLiteral("一つ戻る"), QStringLiteral("次へ"),
                                  QStringLiteral("最後へ") };
        for (int i = 0; i < 4; ++i) {
            auto* button = new QPushButton(captions.at(i), Panel3);
            button->setObjectName(QStringLiteral("Button%1").arg(i + 1));
            button->setToolTip(hints.at(i));
            buttons->addWidget(button);
            pageButtons.append(button);
        }
        Panel3->hide();
        bands->addWidget(Panel3);
        bands->addStretch(1);
        column->addWidget(coolBar);

        Ruler = new QLabel(QStringLiteral("----+----|").repeated(8), client);
        column->addWidget(Ruler);

        auto* body = new QWidget(client);
        auto* row = new QHBoxLayout(body);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        Panel4 = new QFrame(body);
        Panel4->setFixedWidth(30);
        Panel4->hide();
        row->addWidget(Panel4);
        RichEdit2 = new QPlainTextEdit(body);
        RichEdit2->setObjectName(QStringLiteral("RichEdit2"));
        row->addWidget(RichEdit2, 1);
        QRPreview1 = new QWidget(body);
        QRPreview1->setObjectName(QStringLiteral("QRPreview1"));
        row->addWidget(QRPreview1, 1);
        column->addWidget(body, 1);

        auto* status = new QHBoxLayout;
        StatusBar1 = new QLabel(client);
        StatusBar2 = new QLabel(client);
        status->addWidget(StatusBar1, 1);
        status->addWidget(StatusBar2);
        column->addLayout(status);
        setCentralWidget(client);
        resize(743, 543);
    }

    PreviewControls controls()
    {
        return PreviewControls { .F_PVew = F_PVew,
                                 .Panel3 = Panel3,
                                 .pageButtons = pageButtons,
                                 .PopupMenu3 = PopupMenu3,
                                 .zoomItems = zoomItems,
                                 .QRPreview1 = QRPreview1 };
    }

    qsizetype documentUtf8Length() const override { return RichEdit2->toPlainText().toUtf8().size(); }
    QByteArray documentUtf8(qsizetype from, qsizetype length) const override
    {
        return RichEdit2->toPlainText().toUtf8().mid(from, length);
    }
    QFont editorFont() const override { return RichEdit2->font(); }
    QColor editorTextColour() const override { return RichEdit2->palette().color(QPalette::Text); }
    QString documentFileName() const override { return fileName; }
    void setEditingAreaShown(bool shown) override { RichEdit2->setVisible(shown); }
    void setToolBarShown(bool shown) override { ToolBar1->setVisible(shown); }
    void setRulerShown(bool shown) override { Ruler->setVisible(shown); }
    void hideGutter() override { Panel4->hide(); }
    void applyLineNumberSwitch() override
    {
        Panel4->setFixedWidth(VG->isChecked() ? 30 : 0);
        Panel4->setVisible(VG->isChecked());
    }
    void setStatusMessage(const QString& text) override { StatusBar1->setText(text); }
    void setPositionText(const QString& text) override { StatusBar2->setText(text); }

    QString fileName;
    QAction* F_PVew = nullptr;
    QAction* VG = nullptr;
    QMenu* PopupMenu3 = nullptr;
    QList<QAction*> zoomItems;
    QList<QAbstractButton*> pageButtons;
    QToolBar* ToolBar1 = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* Ruler = nullptr;
    QFrame* Panel4 = nullptr;
    QPlainTextEdit* RichEdit2 = nullptr;
    QWidget* QRPreview1 = nullptr;
    QLabel* StatusBar1 = nullptr;
    QLabel* StatusBar2 = nullptr;
};
