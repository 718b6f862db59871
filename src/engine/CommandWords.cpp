#include "engine/CommandWords.h"

const QStringList &topLevelCommandWords()
{
    static const QStringList words{
        QStringLiteral("if"), QStringLiteral("not"), QStringLiteral("beep"), QStringLiteral("nav"),
        QStringLiteral("clink"), QStringLiteral("fill"), QStringLiteral("fillappend"), QStringLiteral("clickbutton"),
        QStringLiteral("clickbuttonbyname"), QStringLiteral("clickitem"), QStringLiteral("sleep"), QStringLiteral("back"),
        QStringLiteral("clinknew"), QStringLiteral("clickclass"), QStringLiteral("fillclass"), QStringLiteral("fillbyid"),
        QStringLiteral("fillappendbyid"), QStringLiteral("clickelementbyid"), QStringLiteral("goto"),
        QStringLiteral("clickelementbyname"), QStringLiteral("clickinputimg"), QStringLiteral("quitie"),
        QStringLiteral("stopie"),
    };
    return words;
}

const QStringList &conditionalActionWords()
{
    static const QStringList words{
        QStringLiteral("beep"), QStringLiteral("nav"), QStringLiteral("clink"), QStringLiteral("fill"),
        QStringLiteral("clickbutton"), QStringLiteral("clickbuttonbyname"), QStringLiteral("clickitem"),
        QStringLiteral("sleep"), QStringLiteral("back"), QStringLiteral("clinknew"), QStringLiteral("stopscript"),
        QStringLiteral("goto"),
    };
    return words;
}
