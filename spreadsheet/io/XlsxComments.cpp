// See XlsxComments.h. The VML is the fixed note shape the host itself writes; only the
// anchor and the cell differ per comment. Notes are hidden until the pointer is on the cell.
#include "spreadsheet/io/XlsxComments.h"

#include "spreadsheet/io/OutputBuffer.h"

#include <algorithm>

namespace qv::sheet {

void XlsxComments::writeComments(OutputBuffer& out, const std::vector<ExportComment>& comments) {
    std::vector<std::string> authors;
    for (const ExportComment& c : comments)
        if (std::find(authors.begin(), authors.end(), c.author) == authors.end()) authors.push_back(c.author);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<comments xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><authors>";
    for (const std::string& a : authors) {
        out << "<author>";
        out.xmlText(a, true);
        out << "</author>";
    }
    out << "</authors><commentList>";
    for (const ExportComment& c : comments) {
        auto author = std::find(authors.begin(), authors.end(), c.author) - authors.begin();
        out << "<comment ref=\"";
        out.cellRef(c.row, c.column);
        out << "\" authorId=\"";
        out.integer(author);
        out << "\"><text><t xml:space=\"preserve\">";
        out.xmlText(c.text, true);
        out << "</t></text></comment>";
    }
    out << "</commentList></comments>";
}

void XlsxComments::writeVml(OutputBuffer& out, const std::vector<ExportComment>& comments, long sheetNumber) {
    out << "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" "
           "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
           "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"
           "<o:shapelayout v:ext=\"edit\"><o:idmap v:ext=\"edit\" data=\"";
    // Each sheet owns a block of 1024 shape ids, named by the idmap.
    out.integer(sheetNumber);
    out << "\"/></o:shapelayout>"
           "<v:shapetype id=\"_x0000_t202\" coordsize=\"21600,21600\" o:spt=\"202\" "
           "path=\"m,l,21600r21600,l21600,xe\">"
           "<v:stroke joinstyle=\"miter\"/><v:path gradientshapeok=\"t\" "
           "o:connecttype=\"rect\"/></v:shapetype>";
    long id = sheetNumber * 1024 + 1;
    for (const ExportComment& c : comments) {
        out << "<v:shape id=\"_x0000_s";
        out.integer(id++);
        out << "\" type=\"#_x0000_t202\" style=\"position:absolute;margin-left:59.25pt;margin-top:1.5pt;"
               "width:108pt;height:59.25pt;z-index:1;visibility:hidden\" fillcolor=\"#ffffe1\" "
               "o:insetmode=\"auto\">"
               "<v:fill color2=\"#ffffe1\"/><v:shadow on=\"t\" color=\"black\" obscured=\"t\"/>"
               "<v:path o:connecttype=\"none\"/><v:textbox style=\"mso-direction-alt:auto\"><div "
               "style=\"text-align:left\"/>"
               "</v:textbox><x:ClientData ObjectType=\"Note\"><x:MoveWithCells/><x:SizeWithCells/><x:Anchor>";
        // Column and row offsets of the note's corners, zero-based, as the host places them.
        out.integer(c.column);
        out << ", 15, ";
        out.integer(c.row > 1 ? c.row - 2 : 0);
        out << ", 2, ";
        out.integer(c.column + 2);
        out << ", 15, ";
        out.integer(c.row > 1 ? c.row + 2 : 4);
        out << ", 16</x:Anchor><x:AutoFill>False</x:AutoFill><x:Row>";
        out.integer(c.row - 1);
        out << "</x:Row><x:Column>";
        out.integer(c.column - 1);
        out << "</x:Column></x:ClientData></v:shape>";
    }
    out << "</xml>";
}

} // namespace qv::sheet
