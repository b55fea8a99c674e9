#include "gui/mainwindow/tool_icons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <array>

namespace {

struct icon_picture {
  const char* name;
  const char* svg;  // body of a 16 x 16 picture
};

// Shared strokes: dark outline, document paper, the grid's pseudo-graphic green.
#define PAPER "<path d='M3 1.5h7l3 3v10H3z' fill='#fff' stroke='#445' stroke-width='1'/>"

constexpr std::array<icon_picture, 28> pictures{{
    {"btnOpen",
     "<path d='M1.5 4.5h5l1 1.5h6v8h-12z' fill='#f3c550' stroke='#8a6514'/>"
     "<path d='M1.5 14.5l2.5-6h11l-2.5 6z' fill='#f8dd88' stroke='#8a6514'/>"},
    {"btnSave",
     "<rect x='1.5' y='1.5' width='13' height='13' rx='1' fill='#3b6fc4' stroke='#1d3a6e'/>"
     "<rect x='4' y='2' width='8' height='5' fill='#fff'/>"
     "<rect x='4' y='10' width='8' height='4.5' fill='#dde4f0'/>"},
    {"btnMerge", PAPER "<path d='M8 6v6M5 9h6' stroke='#1a8a1a' stroke-width='2'/>"},
    {"btnUndo",
     "<path d='M4.5 6.5h5.5a3.8 3.8 0 0 1 0 7.6H6' stroke='#2a5db0' stroke-width='1.8' "
     "fill='none'/><path d='M1 6.5l4.5-4.2v8.4z' fill='#2a5db0'/>"},
    {"btnRedo",
     "<path d='M11.5 6.5H6a3.8 3.8 0 0 0 0 7.6h4' stroke='#2a5db0' stroke-width='1.8' "
     "fill='none'/><path d='M15 6.5l-4.5-4.2v8.4z' fill='#2a5db0'/>"},
    {"btnDec",
     "<text x='8' y='12' font-family='sans-serif' font-size='9' font-weight='bold' "
     "text-anchor='middle' fill='#223'>10</text>"},
    {"btnHex",
     "<text x='8' y='12' font-family='sans-serif' font-size='9' font-weight='bold' "
     "text-anchor='middle' fill='#223'>FF</text>"},
    {"btnBin",
     "<text x='8' y='12' font-family='sans-serif' font-size='8' font-weight='bold' "
     "text-anchor='middle' fill='#223'>01</text>"
     "<path d='M2 14.5h12' stroke='#223'/>"},
    {"btnText",
     "<text x='8' y='13' font-family='serif' font-size='13' font-weight='bold' "
     "text-anchor='middle' fill='#223'>A</text>"},
    {"btnPseudo",
     "<rect x='1' y='3' width='2' height='10' fill='#008000'/>"
     "<rect x='3' y='3' width='2' height='10' fill='#000'/>"
     "<rect x='5' y='3' width='2' height='10' fill='#008000'/>"
     "<rect x='7' y='3' width='2' height='10' fill='#008000'/>"
     "<rect x='9' y='3' width='2' height='10' fill='#000'/>"
     "<rect x='11' y='3' width='2' height='10' fill='#000'/>"
     "<rect x='13' y='3' width='2' height='10' fill='#008000'/>"},
    {"btnAnalyz",
     "<rect x='1.5' y='1.5' width='13' height='13' fill='#fff' stroke='#445'/>"
     "<path d='M4 4.5h3M6 7.5h3M8 10.5h4M4.5 4.5v6h3M6.5 7.5v3' stroke='#2a5db0' fill='none'/>"},
    {"btnSelAll",
     "<rect x='2' y='2' width='12' height='3' fill='#e00' stroke='#700' stroke-width='.6'/>"
     "<rect x='2' y='6.5' width='12' height='3' fill='#e00' stroke='#700' stroke-width='.6'/>"
     "<rect x='2' y='11' width='12' height='3' fill='#e00' stroke='#700' stroke-width='.6'/>"},
    {"btnUnselAll",
     "<rect x='2' y='2' width='12' height='3' fill='#fff' stroke='#555' stroke-width='.6'/>"
     "<rect x='2' y='6.5' width='12' height='3' fill='#fff' stroke='#555' stroke-width='.6'/>"
     "<rect x='2' y='11' width='12' height='3' fill='#fff' stroke='#555' stroke-width='.6'/>"},
    {"btnUnselCur",
     "<rect x='2' y='2' width='12' height='3' fill='#e00' stroke='#700' stroke-width='.6'/>"
     "<rect x='2' y='6.5' width='12' height='3' fill='#fff' stroke='#555' stroke-width='.6'/>"
     "<rect x='2' y='11' width='12' height='3' fill='#3b6fc4' stroke='#1d3a6e' "
     "stroke-width='.6'/><path d='M9 5l4 4m0-4l-4 4' stroke='#000' stroke-width='1.4'/>"},
    {"btnCut",
     "<circle cx='4.5' cy='12' r='2.2' fill='none' stroke='#333' stroke-width='1.3'/>"
     "<circle cx='11.5' cy='12' r='2.2' fill='none' stroke='#333' stroke-width='1.3'/>"
     "<path d='M5.8 10.3L12 1.5M10.2 10.3L4 1.5' stroke='#666' stroke-width='1.5'/>"},
    {"btnSwap",
     "<path d='M2 5h10M9 2l3 3-3 3' stroke='#2a5db0' stroke-width='1.6' fill='none'/>"
     "<path d='M14 11H4M7 8l-3 3 3 3' stroke='#c03030' stroke-width='1.6' fill='none'/>"},
    {"btnFill",
     "<rect x='1.5' y='5.5' width='6' height='5' fill='#fff' stroke='#445'/>"
     "<rect x='7.5' y='5.5' width='7' height='5' fill='#9ccf9c' stroke='#445'/>"
     "<path d='M9 8h4' stroke='#1a6a1a' stroke-dasharray='1 1'/>"},
    {"btnDemux",
     "<path d='M1.5 8h4M5.5 8L14 3M5.5 8H14M5.5 8L14 13' stroke='#445' stroke-width='1.3' "
     "fill='none'/><circle cx='5.5' cy='8' r='1.6' fill='#c03030'/>"},
    {"btnEdit",
     "<path d='M2 14l1-4 8-8 3 3-8 8z' fill='#f3c550' stroke='#6a4a10'/>"
     "<path d='M2 14l1-4 3 3z' fill='#333'/>"},
    {"btnDefrag",
     "<rect x='1.5' y='3.5' width='4' height='3' fill='#3b6fc4'/>"
     "<rect x='7.5' y='3.5' width='3' height='3' fill='#3b6fc4'/>"
     "<rect x='1.5' y='9.5' width='13' height='3' fill='#3b6fc4' stroke='#1d3a6e' "
     "stroke-width='.6'/><path d='M12.5 3.5v4' stroke='#445'/>"},
    {"btnStat",
     "<rect x='2' y='9' width='3' height='5' fill='#3b6fc4'/>"
     "<rect x='6.5' y='4' width='3' height='10' fill='#c03030'/>"
     "<rect x='11' y='7' width='3' height='7' fill='#2a9a2a'/>"
     "<path d='M1 14.5h14' stroke='#223'/>"},
    {"btnSortLen",
     "<rect x='2' y='2.5' width='12' height='2.5' fill='#e00'/>"
     "<rect x='2' y='6.75' width='8' height='2.5' fill='#888'/>"
     "<rect x='2' y='11' width='12' height='2.5' fill='#e00'/>"
     "<path d='M13 6v4' stroke='#223'/>"},
    {"btnSort",
     "<rect x='2' y='2.5' width='12' height='2.5' fill='#e00'/>"
     "<rect x='2' y='6.75' width='12' height='2.5' fill='#888'/>"
     "<rect x='2' y='11' width='12' height='2.5' fill='#e00'/>"
     "<text x='8' y='10' font-family='sans-serif' font-size='6' font-weight='bold' "
     "text-anchor='middle' fill='#fff'>=</text>"},
    {"btnFind",
     "<circle cx='6.5' cy='6.5' r='4' fill='#e8f0ff' stroke='#334' stroke-width='1.5'/>"
     "<path d='M9.5 9.5l5 5' stroke='#334' stroke-width='2.2'/>"},
    {"btnFindNext",
     "<circle cx='5.5' cy='5.5' r='3.5' fill='#e8f0ff' stroke='#334' stroke-width='1.4'/>"
     "<path d='M8 8l3 3' stroke='#334' stroke-width='2'/>"
     "<path d='M10 13h5M13 11l2 2-2 2' stroke='#2a5db0' stroke-width='1.3' fill='none'/>"},
    {"btnHelp",
     "<circle cx='8' cy='8' r='6.5' fill='#2a5db0' stroke='#1d3a6e'/>"
     "<text x='8' y='12' font-family='sans-serif' font-size='10' font-weight='bold' "
     "text-anchor='middle' fill='#fff'>?</text>"},
    {"saved",
     "<rect x='1.5' y='1.5' width='13' height='13' rx='1' fill='#3b6fc4' stroke='#1d3a6e'/>"
     "<rect x='4' y='2' width='8' height='5' fill='#fff'/>"
     "<path d='M5 11l2 2 4-4' stroke='#7dff7d' stroke-width='1.8' fill='none'/>"},
    {"unsaved",
     "<rect x='1.5' y='1.5' width='13' height='13' rx='1' fill='#9aa3b3' stroke='#555e6e'/>"
     "<rect x='4' y='2' width='8' height='5' fill='#fff'/>"
     "<path d='M6 9l4 4m0-4l-4 4' stroke='#e00' stroke-width='1.8'/>"},
}};

#undef PAPER

QPixmap render(const char* body, int size) {
  const QByteArray svg =
      QByteArray("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 16 16'>") + body + "</svg>";
  QSvgRenderer renderer(svg);
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  renderer.render(&painter);
  return pixmap;
}

}  // namespace

QIcon tool_icon(const QString& name) {
  for (const icon_picture& picture : pictures) {
    if (name == QLatin1String(picture.name)) {
      QIcon icon;
      icon.addPixmap(render(picture.svg, 16));
      icon.addPixmap(render(picture.svg, 32));
      return icon;
    }
  }
  return {};
}

QStringList tool_icon_names() {
  QStringList names;
  for (const icon_picture& picture : pictures) names << QString::fromLatin1(picture.name);
  return names;
}
