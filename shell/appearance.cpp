#include "shell/appearance.h"

#include "editors/editor_context.h"

void save_transcript(QWidget*, EditorContext&, QString&) {}
void change_color(QWidget*, EditorContext&, QColor&) {}
std::vector<QWidget*> recolourable_controls(const EditorContext&) { return {}; }
void set_list_font_size(const EditorContext&, int) {}
