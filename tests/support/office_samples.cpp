// The flat XML documents of the office samples.
#include "office_samples.h"

namespace office_samples {

std::string FlatPresentation(int slides)
{
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" office:version=\"1.2\" "
        "office:mimetype=\"application/vnd.oasis.opendocument.presentation\">\n"
        "<office:automatic-styles><style:style style:name=\"red\" style:family=\"graphic\">"
        "<style:graphic-properties draw:fill=\"solid\" draw:fill-color=\"#ff0000\" draw:stroke=\"none\"/>"
        "</style:style></office:automatic-styles>\n<office:body><office:presentation>\n";
    for (int i = 1; i <= slides; ++i) {
        out += "<draw:page draw:name=\"s" + std::to_string(i) + "\">";
        if (i == 1)
            out += "<draw:rect draw:style-name=\"red\" svg:x=\"0cm\" svg:y=\"0cm\" svg:width=\"28cm\" "
                   "svg:height=\"10.5cm\"/>";
        out += "<draw:frame svg:x=\"2cm\" svg:y=\"12cm\" svg:width=\"20cm\" svg:height=\"3cm\"><draw:text-box>"
               "<text:p>Slide " +
               std::to_string(i) + "</text:p></draw:text-box></draw:frame></draw:page>\n";
    }
    return out + "</office:presentation></office:body></office:document>\n";
}

std::string FlatSpreadsheet(int rows)
{
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\" "
        "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">\n"
        "<office:body><office:spreadsheet><table:table table:name=\"Sheet1\">\n"
        "<table:table-row><table:table-cell><text:p>Name</text:p></table:table-cell>"
        "<table:table-cell><text:p>\xE6\x95\xB0\xE6\x8D\xAE\xE6\x81\xA2\xE5\xA4\x8D</text:p></table:table-cell>"
        "</table:table-row>\n";
    for (int i = 1; i <= rows; ++i)
        out += "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"" + std::to_string(i) +
               "\"><text:p>" + std::to_string(i) + "</text:p></table:table-cell><table:table-cell><text:p>row " +
               std::to_string(i) + "</text:p></table:table-cell></table:table-row>\n";
    return out + "</table:table></office:spreadsheet></office:body></office:document>\n";
}

} // namespace office_samples
