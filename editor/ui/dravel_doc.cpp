#include "editor/ui/dravel_doc.h"

#include "editor/ui/raster_image.h"

namespace dravel {

CDravelDoc::CDravelDoc(QtEditorPrompter& prompter, NameSources names, RecentFiles* recent,
                       QObject* parent)
    : QObject(parent), prompter_(prompter), document_(*this, std::move(names), recent) {
    setObjectName(QStringLiteral("CDravelDoc"));
    document_.setChangeHook([this] { emit documentChanged(); });
}

void CDravelDoc::showPicture(strovik::Raster picture) {
    // The old picture goes first, so two sheets are never held at once
    // beyond the new raster itself.
    picture_ = QImage();
    picture_ = toQImage(std::move(picture));
    emit pictureChanged();
}

void CDravelDoc::maximiseWindow() {
    if (hooks_.maximise) hooks_.maximise();
}

void CDravelDoc::redraw(bool eraseBackground) {
    if (hooks_.redraw) hooks_.redraw(eraseBackground);
    emit redrawn();
}

void CDravelDoc::redrawFigure(bool eraseBackground) {
    if (hooks_.redrawFigure) hooks_.redrawFigure(eraseBackground);
}

void CDravelDoc::movePointer(Point image, int screenDy) {
    if (hooks_.movePointer) hooks_.movePointer(image, screenDy);
}

void CDravelDoc::setCursor(CursorShape shape) {
    if (hooks_.setCursor) hooks_.setCursor(shape);
}

void CDravelDoc::setStatus(const QString& text) {
    if (status_) status_(text);
}

}  // namespace dravel
