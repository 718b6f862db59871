#pragma once

#include "QtPrinters.h"
#include "RecordingHost.h"

#include "library/CommonDialog.h"
#include "library/EditorText.h"
#include "library/ScriptLibrary.h"
#include "page/LinkList.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>

// The Open/Save dialog as the test answers it: a chosen name, or a cancel.
class DialogDouble : public CommonDialog {
public:
    QString fileName() const override { return name; }
    void setFileName(const QString &fileName) override { name = fileName; }
    bool showOpen() override { return answer(); }
    bool showSave() override { return answer(); }

    QString name;
    std::optional<QString> chosen; // nothing: the user cancels
    int shown = 0;

private:
    bool answer()
    {
        ++shown;
        if (chosen)
            name = *chosen;
        return chosen.has_value();
    }
};

// A library in a temporary folder shown in a real tree and editor.
class LibraryTest : public ::testing::Test {
protected:
    [[nodiscard]] QString root() const { return m_folder.path() + QStringLiteral("/Scripts"); }
    [[nodiscard]] QString pathOf(const QString &relative) const { return root() + QLatin1Char('/') + relative; }

    void writeFile(const QString &relative, const QByteArray &bytes) const
    {
        QDir().mkpath(QFileInfo(pathOf(relative)).path());
        QFile file(pathOf(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    [[nodiscard]] QByteArray fileBytes(const QString &relative) const
    {
        QFile file(pathOf(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void makeFolder(const QString &relative) const { QDir().mkpath(pathOf(relative)); }

    // Every node in the order it was added: folders first, then scripts folder by folder.
    [[nodiscard]] QList<QTreeWidgetItem *> nodes() const
    {
        QList<QTreeWidgetItem *> all;
        for (int folder = 0; folder < tree.topLevelItemCount(); ++folder)
            all.append(tree.topLevelItem(folder));
        for (int folder = 0; folder < tree.topLevelItemCount(); ++folder) {
            for (int script = 0; script < tree.topLevelItem(folder)->childCount(); ++script)
                all.append(tree.topLevelItem(folder)->child(script));
        }
        return all;
    }
    [[nodiscard]] QStringList keys() const
    {
        QStringList result;
        for (const QTreeWidgetItem *node : nodes())
            result.append(node->data(0, Qt::UserRole).toString());
        return result;
    }
    [[nodiscard]] QStringList texts() const
    {
        QStringList result;
        for (const QTreeWidgetItem *node : nodes())
            result.append(node->text(0));
        return result;
    }
    [[nodiscard]] QString selectedText() const
    {
        const QList<QTreeWidgetItem *> selected = tree.selectedItems();
        return selected.isEmpty() ? QStringLiteral("<none>") : selected.first()->text(0);
    }
    [[nodiscard]] QTreeWidgetItem *node(const QString &text) const
    {
        for (QTreeWidgetItem *candidate : nodes()) {
            if (candidate->text(0) == text)
                return candidate;
        }
        return nullptr;
    }
    // Selects as the user's click does and raises the Click event.
    void click(const QString &text)
    {
        tree.setCurrentItem(node(text));
        library.loadSelectedScript();
    }
    [[nodiscard]] QString editor() const { return editorText(scriptEditor); }

    QTemporaryDir m_folder;
    QTreeWidget tree;
    QPlainTextEdit scriptEditor;
    DialogDouble dialog;
    RecordingHost host;
    LinkList linkList;
    int runs = 0;
    ScriptLibrary library{tree, scriptEditor, dialog, host, linkList, root(), [this] { ++runs; }};
};
