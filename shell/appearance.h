// "Save Text" / "Save --->", "Change Color" and the list font size: the
// main window's appearance commands.
#pragma once

#include <QColor>
#include <QString>
#include <vector>

class QWidget;
struct EditorContext;

// "Save Text" and "Save --->": SaveDialog2, RTF, then the level-count message.
// last_name keeps the dialog's last name.
void save_transcript(QWidget* parent, EditorContext& ctx, QString& last_name);
// "Change Color": ColorDialog1 starting at last_color (black at start),
// recolours the 30 controls.
void change_color(QWidget* parent, EditorContext& ctx, QColor& last_color);
std::vector<QWidget*> recolourable_controls(const EditorContext& ctx);
// TrackBar1 moved: the eleven lists get this font size in points.
void set_list_font_size(const EditorContext& ctx, int points);
