# Run by CPack on the staged tree before the Debian package is made from it: adds what only
# the package holds and refuses a package that would not work as installed.

set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
set(source ${CPACK_QUILLORY_SOURCE_DIR})
set(version ${CPACK_PACKAGE_VERSION})
set(deb ${source}/packaging/deb)
set(data ${root}${CPACK_QUILLORY_DATADIR})
set(doc ${data}/doc/quillory)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "stage: failed (${status}): ${ARGN}")
    endif()
endfunction()

# Without its models the installed service would quietly read with Tesseract alone.
set(models ${data}/quillory/ppocr)
if(NOT EXISTS ${models}/manifest)
    message(FATAL_ERROR "stage: no PP-OCR models in ${models}; the build could not fetch them "
                        "(scripts/fetch-models needs npm and the registry)")
endif()
file(STRINGS ${models}/manifest entries)
foreach(entry IN LISTS entries)
    string(REGEX MATCH "^([^ ]+) ([0-9]+)$" matched "${entry}")
    file(SIZE ${models}/${CMAKE_MATCH_1} size)
    if(NOT matched OR NOT size EQUAL CMAKE_MATCH_2)
        message(FATAL_ERROR "stage: ${models}/${CMAKE_MATCH_1} does not match its manifest")
    endif()
endforeach()

# The package's unit: the programs live under /usr, and the service runs as the system
# user that postinst creates rather than a dynamic one, so that what it runs as is stable.
set(unit ${root}${CPACK_QUILLORY_PREFIX}/lib/systemd/system/ocrgated.service)
file(READ ${unit} text)
foreach(line IN ITEMS "ExecStart=/usr/local/sbin/ocrgated " "\nDynamicUser=yes\n" "\n\n[Service]\n")
    string(FIND "${text}" "${line}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "stage: ${unit} has no '${line}' to adapt")
    endif()
endforeach()
string(REPLACE "ExecStart=/usr/local/sbin/ocrgated "
               "ExecStart=${CPACK_QUILLORY_SBINDIR}/ocrgated " text "${text}")
string(REPLACE "\nDynamicUser=yes\n" "\nUser=ocrgated\nGroup=ocrgated\n" text "${text}")
string(REPLACE "\n\n[Service]\n" "\nDocumentation=man:ocrgated(8)\n\n[Service]\n" text "${text}")
file(WRITE ${unit} "${text}")

# Man pages from the programs' own --help and --version.
find_program(HELP2MAN help2man REQUIRED)
set(window ${root}${CPACK_QUILLORY_LIBEXECDIR}/quillory/quillory)
foreach(page IN ITEMS
        "quillory|1|${window}|read the text in a picture (the window)"
        "quillory-ocr|1|${root}${CPACK_QUILLORY_BINDIR}/quillory-ocr|recognise pictures and PDF files from the command line"
        "ocrgated|8|${root}${CPACK_QUILLORY_SBINDIR}/ocrgated|the Quillory text recognition service")
    string(REPLACE "|" ";" fields "${page}")
    list(GET fields 0 name)
    list(GET fields 1 section)
    list(GET fields 2 program)
    list(GET fields 3 summary)
    set(out ${data}/man/man${section}/${name}.${section})
    file(MAKE_DIRECTORY ${data}/man/man${section})
    # The window parses its options inside a Qt application, which needs a display.
    run(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
        ${HELP2MAN} --no-info --section=${section} --name=${summary}
        --include=${deb}/${name}.h2m --output=${out} ${program})
    file(READ ${out} man)
    if(NOT man MATCHES "\\\\-\\\\-help")
        message(FATAL_ERROR "stage: ${out} lists no options; did ${program} --help fail?")
    endif()
    run(gzip -9nf ${out})
endforeach()

# The Debian documents. The changelog and the AppStream releases name this version, so that
# a version bump without them fails here rather than shipping stale notes.
file(STRINGS ${deb}/changelog first LIMIT_COUNT 1)
if(NOT first MATCHES "^quillory \\(${version}\\) ")
    message(FATAL_ERROR "stage: packaging/deb/changelog does not start with version ${version}")
endif()
set(metainfo ${data}/metainfo/org.quillory.Quillory.metainfo.xml)
file(READ ${metainfo} text)
if(NOT text MATCHES "<release version=\"${version}\"")
    message(FATAL_ERROR "stage: ${metainfo} has no release ${version}")
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
    run(${APPSTREAMCLI} validate --no-net ${metainfo})
endif()
file(MAKE_DIRECTORY ${doc})
file(COPY_FILE ${deb}/copyright ${doc}/copyright)
file(COPY_FILE ${deb}/changelog ${doc}/changelog)
run(gzip -9nf ${doc}/changelog)

# Whatever the builder's umask, the package's files are root's, readable by all.
run(find ${root} -type d -exec chmod 0755 {} +)
run(find ${root} -type f -perm /111 -exec chmod 0755 {} +)
run(find ${root} -type f ! -perm /111 -exec chmod 0644 {} +)
