# The settings window's extras on vortaxis_qt: the network for the update
# check, the bundled symbols and the compiled translations.
find_package(Qt6 REQUIRED COMPONENTS Network LinguistTools)
target_link_libraries(vortaxis_qt PUBLIC Qt6::Network)

file(GLOB VORTAXIS_SYMBOLS
    ${CMAKE_CURRENT_LIST_DIR}/symbols/*.svg)
qt_add_resources(vortaxis_qt "vortaxis_symbols" PREFIX /vortaxis
    BASE ${CMAKE_CURRENT_LIST_DIR} FILES ${VORTAXIS_SYMBOLS})

# Every translation except the template, compiled at build time, built into
# the program and installed beside it for translators to replace.
file(GLOB VORTAXIS_TS_FILES ${PROJECT_SOURCE_DIR}/translations/vortaxis_*.ts)
set_source_files_properties(${VORTAXIS_TS_FILES} PROPERTIES
    OUTPUT_LOCATION ${PROJECT_BINARY_DIR}/translations)
qt_add_lrelease(vortaxis_qt TS_FILES ${VORTAXIS_TS_FILES}
    QM_FILES_OUTPUT_VARIABLE VORTAXIS_QM_FILES OPTIONS -silent)
qt_add_resources(vortaxis_qt "vortaxis_translations" PREFIX /vortaxis/i18n
    BASE ${PROJECT_BINARY_DIR}/translations FILES ${VORTAXIS_QM_FILES})
set_property(GLOBAL PROPERTY VORTAXIS_QM_FILES ${VORTAXIS_QM_FILES})
