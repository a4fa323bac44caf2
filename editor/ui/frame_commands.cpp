#include "editor/ui/frame_commands.h"

#include <array>

namespace dravel {
namespace {

using C = Command;
using M = Menu;

constexpr std::array<MenuSpec, 4> kMenus{{
    {M::File, u"ﾌｧｲﾙ(&F)", "menuFile"},
    {M::Edit, u"編集(&E)", "menuEdit"},
    {M::View, u"表示(&V)", "menuView"},
    {M::Help, u"ﾍﾙﾌﾟ(&H)", "menuHelp"},
}};

// clang-format off
constexpr std::array<CommandEntry, 26> kCommands{{
    {C::NewDocument, u"新規作成", "ID_FILE_NEW", M::None, false, false, false},
    {C::OpenImage, u"ｽｷｬﾝ画像ﾌｧｲﾙを開く(&O)...\tCtrl+O", "ID_FILE_OPEN", M::File, false, false, false},
    {C::Import, u"ﾏｰｸ情報ﾌｧｲﾙをｲﾝﾎﾟｰﾄ(&I)...", "ID_FILE_IMPORT", M::File, false, true, false},
    {C::Save, u"上書き保存(&S)\tCtrl+S", "ID_FILE_SAVE", M::File, false, true, false},
    {C::SaveAs, u"名前を付けて保存(&A)...\tCtrl+Shift+S", "ID_FILE_SAVE_AS", M::File, false, true, false},
    {C::Print, u"印刷(&P)...\tCtrl+P", "ID_FILE_PRINT", M::File, true, true, false},
    {C::PrintPreview, u"印刷ﾌﾟﾚﾋﾞｭｰ(&V)", "ID_FILE_PRINT_PREVIEW", M::File, false, true, false},
    {C::PrintSetup, u"ﾌﾟﾘﾝﾀの設定(&R)...", "ID_FILE_PRINT_SETUP", M::File, false, true, false},
    {C::Exit, u"ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", "ID_APP_EXIT", M::File, true, false, false},
    {C::Undo, u"ﾏｰｸ指定操作のUNDO(&U)", "ID_EDIT_UNDO", M::Edit, false, true, false},
    {C::Redo, u"ﾏｰｸ指定操作のREDO(&R)", "ID_EDIT_REDO", M::Edit, false, true, false},
    {C::MarkMode, u"ﾏｰｸ読取箇所指定または選択肢数変更(&M)", "ID_MARK_MODE", M::Edit, true, true, false},
    {C::ZeroMarkMode, u"基準点指定（3点を左ｸﾘｯｸ）(&K)", "ID_ZEROMARK_MODE", M::Edit, false, true, false},
    {C::ToggleMode, u"単一選択/複数選択の切替（ﾏｰｸ上を左ｸﾘｯｸ）(&S)", "ID_TOGGLE_MODE", M::Edit, false, true, false},
    {C::AreaMode, u"切り出し画像範囲の追加(4点を左ｸﾘｯｸ)(&I)", "ID_AREA_MODE", M::Edit, false, true, false},
    {C::BlockMode, u"ブロック配置（3点を左ｸﾘｯｸ）(&B)\tCtrl+B", "ID_BLOCK_MODE", M::Edit, true, true, false},
    {C::BlockCopy, u"ブロックのコピー(&C)\tCtrl+D", "ID_BLOCK_COPY", M::Edit, false, true, false},
    {C::BlockRenumber, u"ブロックの番号変更(&N)...", "ID_BLOCK_RENUMBER", M::Edit, false, true, false},
    {C::TrialRead, u"試し読み(&T)", "ID_TRIAL_READ", M::Edit, true, true, false},
    {C::AutoDetect, u"マーク位置の自動検出(&D)", "ID_AUTO_DETECT", M::Edit, false, true, false},
    {C::ToolBar, u"ﾂｰﾙ ﾊﾞｰ(&T)", "ID_VIEW_TOOLBAR", M::View, false, false, true},
    {C::StatusBar, u"ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "ID_VIEW_STATUS_BAR", M::View, false, false, true},
    {C::ZoomIn, u"拡大(&L)", "ID_ZOOM_IN", M::View, true, true, false},
    {C::ZoomOut, u"縮小(&S)", "ID_ZOOM_OUT", M::View, false, true, false},
    {C::ZoomFit, u"ウィンドウに合わせる(&W)", "ID_ZOOM_FIT", M::View, false, true, false},
    {C::Version, u"バージョン(&A)", "ID_APP_ABOUT", M::Help, false, false, false},
}};
// clang-format on

constexpr std::array<ToolbarSlot, 14> kToolbar{{
    {C::OpenImage, false},
    {C::Import, false},
    {C::Save, false},
    {C::MarkMode, true},
    {C::ZeroMarkMode, false},
    {C::AutoDetect, false},
    {C::BlockMode, false},
    {C::Undo, true},
    {C::Redo, false},
    {C::ZoomIn, true},
    {C::ZoomOut, false},
    {C::ToggleMode, true},
    {C::AreaMode, false},
    {C::TrialRead, true},
}};

const std::array<Accelerator, 9> kAccelerators{{
    {QKeyCombination(Qt::ControlModifier, Qt::Key_N), C::NewDocument},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_O), C::OpenImage},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_S), C::Save},
    {QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_S), C::SaveAs},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_P), C::Print},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_Z), C::Undo},
    {QKeyCombination(Qt::AltModifier, Qt::Key_Backspace), C::Undo},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_B), C::BlockMode},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_D), C::BlockCopy},
}};

}  // namespace

std::span<const MenuSpec> menuTable() {
    return kMenus;
}
std::span<const CommandEntry> commandTable() {
    return kCommands;
}
std::span<const ToolbarSlot> toolbarTable() {
    return kToolbar;
}
std::span<const Accelerator> acceleratorTable() {
    return kAccelerators;
}

const CommandEntry& commandSpec(Command command) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.id == command) return entry;
    }
    return kCommands.front();
}

}  // namespace dravel
