#pragma once

#include <QString>

// The page operations the command tables call. Each may throw ScriptError as its own rules say.
class PageActions {
public:
    virtual ~PageActions() = default;

    virtual void Clink(const QString &LinkText) = 0;
    virtual void ClinkNew(const QString &LinkText) = 0;

    virtual void FillFormByName(const QString &sName, const QString &sValue) = 0;
    virtual void FillAppend(const QString &sName, const QString &sValue) = 0;
    virtual void FillClass(const QString &sClass, const QString &sText) = 0;
    virtual void FillByID(const QString &sID, const QString &sValue) = 0;
    virtual void FillAppendByID(const QString &sID, const QString &sValue) = 0;

    virtual void ClickButton(const QString &sValue, bool blnNavigate) = 0;
    virtual void ClickButtonByName(const QString &sName) = 0;
    virtual void ClickItem(qint16 Index, const QString &sName) = 0;
    virtual void ClickInputImg(const QString &ImgSrc) = 0;
    virtual void ClickClass(const QString &sClass) = 0;
    virtual void ClickElementByID(const QString &sID, bool blnNavigate) = 0;
    virtual void ClickElementByName(const QString &sName, bool blnNavigate) = 0;
};
