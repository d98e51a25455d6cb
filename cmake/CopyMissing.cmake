# Copies every file of SRC into DST that DST does not have yet, or whose bundled copy is newer
# (reference data updated in the source tree), so that settings and data the program has written
# there since are kept across builds.
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
foreach(f ${files})
  if(NOT EXISTS ${DST}/${f} OR ${SRC}/${f} IS_NEWER_THAN ${DST}/${f})
    get_filename_component(dir ${DST}/${f} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    file(COPY ${SRC}/${f} DESTINATION ${dir})
  endif()
endforeach()
