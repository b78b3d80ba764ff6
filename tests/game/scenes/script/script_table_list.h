// Every text table of the scene script, in one order. This file is included
// where the tables' names are in scope: at file scope for the game's tables,
// inside the namespace of their UTF-8 copies for those; so it has no include
// guard and includes nothing (script_tables.h comes first).

inline std::vector<script_table> read_script_tables() {
  std::vector<script_table> tables;
  add_script_pages(tables, "scene101_text", scene101_text);
  add_script_pages(tables, "scene102_text", scene102_text);
  add_script_pages(tables, "scene103_text", scene103_text);
  add_script_pages(tables, "scene104_pelune_text", scene104_pelune_text);
  add_script_pages(tables, "scene104_orven_text", scene104_orven_text);
  add_script_pages(tables, "scene104_both_text", scene104_both_text);
  add_script_pages(tables, "scene106_pelune_text", scene106_pelune_text);
  add_script_pages(tables, "scene106_orven_text", scene106_orven_text);
  add_script_pages(tables, "scene106_both_text", scene106_both_text);
  add_script_pages(tables, "scene109_pelune_text", scene109_pelune_text);
  add_script_pages(tables, "scene109_orven_text", scene109_orven_text);
  add_script_pages(tables, "scene109_both_text", scene109_both_text);
  add_script_pages(tables, "scene120_text", scene120_text);
  add_script_pages(tables, "scene105_pelune_text", scene105_pelune_text);
  add_script_pages(tables, "scene105_orven_text", scene105_orven_text);
  add_script_pages(tables, "scene105_both_text", scene105_both_text);
  add_script_pages(tables, "scene107_pelune_text", scene107_pelune_text);
  add_script_pages(tables, "scene107_orven_text", scene107_orven_text);
  add_script_pages(tables, "scene107_both_text", scene107_both_text);
  add_script_pages(tables, "scene110_pelune_text", scene110_pelune_text);
  add_script_pages(tables, "scene110_orven_text", scene110_orven_text);
  add_script_pages(tables, "scene110_both_text", scene110_both_text);
  add_script_pages(tables, "scene111_pelune_text", scene111_pelune_text);
  add_script_pages(tables, "scene111_orven_text", scene111_orven_text);
  add_script_pages(tables, "scene111_both_text", scene111_both_text);
  add_script_pages(tables, "scene112_pelune_text", scene112_pelune_text);
  add_script_pages(tables, "scene112_orven_text", scene112_orven_text);
  add_script_pages(tables, "scene112_both_text", scene112_both_text);
  add_script_pages(tables, "scene113_pelune_text", scene113_pelune_text);
  add_script_pages(tables, "scene113_orven_text", scene113_orven_text);
  add_script_pages(tables, "scene113_both_text", scene113_both_text);
  add_script_pages(tables, "scene114_pelune_text", scene114_pelune_text);
  add_script_pages(tables, "scene114_orven_text", scene114_orven_text);
  add_script_pages(tables, "scene114_both_text", scene114_both_text);
  add_script_pages(tables, "scene115_pelune_text", scene115_pelune_text);
  add_script_pages(tables, "scene115_orven_text", scene115_orven_text);
  add_script_pages(tables, "scene115_both_text", scene115_both_text);
  add_script_pages(tables, "scene116_pelune_text", scene116_pelune_text);
  add_script_pages(tables, "scene116_orven_text", scene116_orven_text);
  add_script_pages(tables, "scene116_both_text", scene116_both_text);
  add_script_pages(tables, "scene117_pelune_text", scene117_pelune_text);
  add_script_pages(tables, "scene117_orven_text", scene117_orven_text);
  add_script_pages(tables, "scene117_both_text", scene117_both_text);
  add_script_pages(tables, "scene118_pelune_text", scene118_pelune_text);
  add_script_pages(tables, "scene118_orven_text", scene118_orven_text);
  add_script_pages(tables, "scene118_both_text", scene118_both_text);
  add_script_lines(tables, "scene118_pelune_roll", scene118_pelune_roll);
  add_script_lines(tables, "scene118_orven_roll", scene118_orven_roll);
  add_script_lines(tables, "scene118_both_roll", scene118_both_roll);
  add_script_lines(tables, "scene118_closing", scene118_closing);
  add_script_pages(tables, "scene119_pelune_text", scene119_pelune_text);
  add_script_pages(tables, "scene119_orven_text", scene119_orven_text);
  add_script_pages(tables, "scene119_both_text", scene119_both_text);
  return tables;
}
