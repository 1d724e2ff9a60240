# Tests of the markup engine and the labels.
quiltmap_add_test(markup_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/html_render_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_canvas_test.cpp
  LIBS quiltmap_markup_fake)
target_compile_definitions(markup_test PRIVATE
  QUILTMAP_LABELS_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/golden")

quiltmap_add_test(reflection_image_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/adv_reflection_label_image_test.cpp
  LIBS quiltmap_labels)

quiltmap_add_test(labels_test GUI
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/html_label_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/adv_reflection_label_test.cpp
  LIBS quiltmap_labels)
