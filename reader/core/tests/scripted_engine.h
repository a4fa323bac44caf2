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
    /// An option action whose call fails (as a failure result would).
    QString failAction;
    QStringList calls;

    std::optional<int> putImageFilename(const QString& path) override {
        calls << QStringLiteral("put_ImageFilename(") + path + u')';
        image_ = path;
        return 0;
    }
    std::optional<int> putIniFilename(const QString& path) override {
        calls << QStringLiteral("put_IniFilename(") + path + u')';
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
    std::optional<int> getResult(QString& result, QString& reliability) override {
        calls << QStringLiteral("get_Result");
        result = sheet().result;
        reliability = sheet().reliability;
        return 0;
    }
    std::optional<OptionResult> putOptions(const QString& action, int value,
                                           const QString& valueStr) override {
        calls << QStringLiteral("put_Options(%1,%2,%3)").arg(action).arg(value).arg(valueStr);
        if (action == failAction) return std::nullopt;
        OptionResult out;
        const SheetScript& s = sheet();
        if (action == u"get_editor_dpi_x") out.retValue = editorDpi;
        if (action == u"get_definition_problem") {
            out.retValue = definitionProblem.isEmpty() ? 0 : 1;
            out.retValueStr = definitionProblem;
        }
        if (action == u"get_dpi_x") out.retValue = sheets[valueStr].dpi;
        if (action == u"get_imagearea_count") out.retValue = s.imageAreas;
        if (action == u"get_marked_counts") out.retValueStr = s.markedCounts;
        if (action == u"get_multi_questions") out.retValueStr = s.multiQuestions;
        if (action == u"get_multi_dots_per_question") out.retValueStr = s.dots.value(value);
        if (action == u"chk_rotate") out.retValue = s.rotated;
        if (action == u"get_skew_size") out.retValue = s.skew;
        if (action == u"get_diffzero_x") out.retValue = s.diffX;
        if (action == u"get_diffzero_y") out.retValue = s.diffY;
        return out;
    }

private:
    const SheetScript& sheet() { return sheets[image_]; }

    QString image_;
};

}  // namespace tarrow::testing
