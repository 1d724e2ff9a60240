# Tests of the markup engine and the labels.
quiltmap_add_test(markup_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/html_render_test.cpp
  LIBS quiltmap_markup_fake)
target_compile_definitions(markup_test PRIVATE
  QUILTMAP_LABELS_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/golden")
