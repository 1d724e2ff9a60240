# Markup labels: the Qt-free layout engine, its fixed-metric test canvas, and the Qt labels.
quiltmap_add_library(quiltmap_markup
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/text_canvas.cpp
    ${CMAKE_CURRENT_LIST_DIR}/markup_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/markup_tags.cpp
    ${CMAKE_CURRENT_LIST_DIR}/html_render.cpp
  LIBS Qt6::Core)

quiltmap_add_library(quiltmap_labels
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/text_canvas_qpainter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/html_label.cpp
    ${CMAKE_CURRENT_LIST_DIR}/adv_reflection_label.cpp
    ${CMAKE_CURRENT_LIST_DIR}/adv_reflection_label_image.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app_fonts.cpp
  LIBS quiltmap_markup quiltmap_common Qt6::Widgets)

target_link_libraries(quiltmap_widgets INTERFACE quiltmap_labels)

# The fixed-metric canvas that the markup tests and the markup fuzz target lay out against.
quiltmap_add_library(quiltmap_markup_fake
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/text_canvas_fake.cpp
  LIBS quiltmap_markup)
