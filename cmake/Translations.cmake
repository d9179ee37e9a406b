# The .ts sources live in res/translate; the .qm files are build outputs,
# served from ":/res/res/translate/" through a generated resource file.
# rcc runs as an explicit step that depends on the .qm files: AUTORCC would
# not wait for lrelease and fails on a clean build folder.
set(QV_TS_FILES ${CMAKE_SOURCE_DIR}/res/translate/chinese_cn.ts ${CMAKE_SOURCE_DIR}/res/translate/english_en.ts)
if(QV_TS_FILES)
    set_source_files_properties(${QV_TS_FILES} PROPERTIES OUTPUT_LOCATION ${CMAKE_BINARY_DIR}/translate)
    qt5_add_translation(QV_QM_FILES ${QV_TS_FILES})
    set(QV_QM_QRC ${CMAKE_BINARY_DIR}/translate/translate.qrc)
    set(_qrc "<RCC>\n  <qresource prefix=\"/res/res/translate\">\n")
    foreach(_qm ${QV_QM_FILES})
        get_filename_component(_name ${_qm} NAME)
        string(APPEND _qrc "    <file alias=\"${_name}\">${_qm}</file>\n")
    endforeach()
    string(APPEND _qrc "  </qresource>\n</RCC>\n")
    file(GENERATE OUTPUT ${QV_QM_QRC} CONTENT "${_qrc}")
    set(QV_QM_CPP ${CMAKE_BINARY_DIR}/translate/qrc_translate.cpp)
    add_custom_command(OUTPUT ${QV_QM_CPP}
        COMMAND Qt5::rcc -name translate -o ${QV_QM_CPP} ${QV_QM_QRC}
        DEPENDS ${QV_QM_QRC} ${QV_QM_FILES}
        COMMENT "Compiling the translations into a resource"
        VERBATIM)
    set_source_files_properties(${QV_QM_CPP} PROPERTIES GENERATED ON SKIP_AUTOMOC ON SKIP_AUTOUIC ON)
    add_custom_target(quorvane_translations DEPENDS ${QV_QM_FILES})
    # One owner for the generated source: the window and the command line both compile it,
    # and two rules writing it at once would race.
    add_custom_target(quorvane_translations_cpp DEPENDS ${QV_QM_CPP})
    target_sources(quorvane_gui PRIVATE ${QV_QM_CPP})
    add_dependencies(quorvane_gui quorvane_translations_cpp)
    # initGuiResources() registers them: nothing else pulls them out of the static library.
    target_compile_definitions(quorvane_gui PRIVATE QV_HAS_TRANSLATIONS)
    add_dependencies(quorvane_gui quorvane_translations)
endif()
