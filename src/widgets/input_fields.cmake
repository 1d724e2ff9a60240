# The directory field and the numeric field with its calculator.

# Calculator arithmetic, number texts and the numeric field's key handling: QtCore only.
quiltmap_add_library(quiltmap_calculator
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/number_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/calculator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/key_filter.cpp
  LIBS quiltmap_common Qt6::Core)

# The widgets over it.
quiltmap_add_library(quiltmap_inputfields
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/placement.cpp
    ${CMAKE_CURRENT_LIST_DIR}/directory_validity.cpp
    ${CMAKE_CURRENT_LIST_DIR}/folder_glyph.cpp
    ${CMAKE_CURRENT_LIST_DIR}/field_caption.cpp
    ${CMAKE_CURRENT_LIST_DIR}/folder_browser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/edit_menu.cpp
    ${CMAKE_CURRENT_LIST_DIR}/adv_directory_edit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/calculator_button.cpp
    ${CMAKE_CURRENT_LIST_DIR}/calculator_panel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/money_edit.cpp
  LIBS quiltmap_calculator Qt6::Widgets)

target_link_libraries(quiltmap_widgets INTERFACE quiltmap_inputfields)
