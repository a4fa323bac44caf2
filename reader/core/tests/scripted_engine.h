// An engine for tests: answers every call from a per-image script and
// records each call as one line ("put_Options(get_dpi_x,-1,/x/a.jpg)",
// "Run", ...), so a test can check the exact call order.
#pragma once

#include <QString>
#include <QStringList>
#include <map>

#include "reader/core/engine_client.h"

namespace tarrow::testing {

class ScriptedEngine final : public StrovaEngine {
public:
    /// What the engine reports for one image (by its path).
    struct SheetScript {
        int dpi = 0;
        int imageAreas = 0;
        int runStatus = 0;
        QString result = QStringLiteral("1,2");
        QString reliability = QStringLiteral("5.0,5.0");
        QString markedCounts = QStringLiteral("1,1");
        QString multiQuestions;  ///< 0-based indices joined by ","
        QStringList dots;        ///< one dot string per listed question
        int rotated = 0;
        int skew = 0;
        int diffX = 0;
        int diffY = 0;
    };

    int editorDpi = 0;
    /// Non-empty: the engine refuses the definition with this reason.
    QString definitionProblem;
    std::map<QString, SheetScript> sheets;
    /// The name of an option action whose call fails (as a failure result
    /// would).
    QString failAction;
    QStringList calls;

    std::optional<int> putImageFilename(std::string_view path) override {
        image_ = text(path);
        calls << QStringLiteral("put_ImageFilename(") + image_ + u')';
        return 0;
    }
    std::optional<int> putIniFilename(std::string_view path) override {
        calls << QStringLiteral("put_IniFilename(") + text(path) + u')';
        return 0;
    }
    std::optional<int> run() override {
        calls << QStringLiteral("Run");
        return sheet().runStatus;
    }
    std::optional<int> putNotify(int window, int message) override {
        calls << QStringLiteral("put_Notify(%1,%2)").arg(window).arg(message);
        return 0;
    }
    std::optional<int> getResult(std::string& result, std::string& reliability) override {
        calls << QStringLiteral("get_Result");
        result = sheet().result.toStdString();
        reliability = sheet().reliability.toStdString();
        return 0;
    }
    std::optional<OptionOutputs> putOptions(OptionAction action, int value,
                                            std::string_view valueStr) override {
        const QString name = text(strovik::optionActionName(action));
        calls << QStringLiteral("put_Options(%1,%2,%3)").arg(name).arg(value).arg(text(valueStr));
        if (name == failAction) return std::nullopt;
        OptionOutputs out;
        const SheetScript& s = sheet();
        auto put = [&out](const QString& t) { out.retValueStr = t.toStdString(); };
        switch (action) {
            case OptionAction::GetEditorDpiX:
                out.retValue = editorDpi;
                break;
            case OptionAction::GetDefinitionProblem:
                out.retValue = definitionProblem.isEmpty() ? 0 : 1;
                put(definitionProblem);
                break;
            case OptionAction::GetDpiX:
                out.retValue = sheets[text(valueStr)].dpi;
                break;
            case OptionAction::GetImageAreaCount:
                out.retValue = s.imageAreas;
                break;
            case OptionAction::GetMarkedCounts:
                put(s.markedCounts);
                break;
            case OptionAction::GetMultiQuestions:
                put(s.multiQuestions);
                break;
            case OptionAction::GetMultiDotsPerQuestion:
                put(s.dots.value(value));
                break;
            case OptionAction::ChkRotate:
                out.retValue = s.rotated;
                break;
            case OptionAction::GetSkewSize:
                out.retValue = s.skew;
                break;
            case OptionAction::GetDiffZeroX:
                out.retValue = s.diffX;
                break;
            case OptionAction::GetDiffZeroY:
                out.retValue = s.diffY;
                break;
            default:
                break;
        }
        return out;
    }

private:
    static QString text(std::string_view utf8) {
        return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    }
    const SheetScript& sheet() { return sheets[image_]; }

    QString image_;
};

}  // namespace tarrow::testing
