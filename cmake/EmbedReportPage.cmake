# Builds the source file that holds the report page: page.html with the
# style and the script put in place of their markers, as the bytes of one
# array (a string literal that long would trip -Wpedantic).
#
#   cmake -DPAGE_DIR=<src/qelmask/report> -DOUTPUT=<file.cpp> -P EmbedReportPage.cmake
file(READ ${PAGE_DIR}/page.html page)
file(READ ${PAGE_DIR}/page.css style)
file(READ ${PAGE_DIR}/page.js script)
string(REPLACE "@PAGE_CSS@" "${style}" page "${page}")
string(REPLACE "@PAGE_JS@" "${script}" page "${page}")
get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(WRITE ${output_dir}/report-page.html "${page}")
file(READ ${output_dir}/report-page.html hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('[^']*',){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.new
  "// Generated from src/qelmask/report/ by cmake/EmbedReportPage.cmake.\n"
  "#include \"qelmask/report/ReportPage.h\"\n\n"
  "namespace {\n"
  "const char kPage[${size}] = {\n${bytes}};\n"
  "}  // namespace\n\n"
  "std::string_view ReportPage::source() { return {kPage, sizeof kPage}; }\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
