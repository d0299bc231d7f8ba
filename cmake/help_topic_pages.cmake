# Desktop openers drop the "#context<n>" part of a file URL, so every numbered help topic also gets
# a page of its own beside the help file, "<name>_context<n>.html", which the programs open. The
# pages are cut from the help file itself (its <h2 id="context<n>"> sections), so the texts are
# written once.
#
# A build step runs this file as a script whenever the help file or the script changes:
#   cmake -DHELP_SOURCE=<help file> -DHELP_DESTINATION=<data directory> -DHELP_STAMP=<file> -P help_topic_pages.cmake
# It copies the help file into the data directory, cuts its topic pages there (pages of topics the
# help file no longer has go) and then touches the stamp file.
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.25)  # the project's policies, before the function below
endif()

function(write_help_topic_pages source destination)
  get_filename_component(name ${source} NAME_WE)
  get_filename_component(contents ${source} NAME)
  file(READ ${source} help)
  file(GLOB stale ${destination}/${name}_context*.html)
  if(stale)
    file(REMOVE ${stale})
  endif()
  string(FIND "${help}" "<body>" body)
  string(SUBSTRING "${help}" 0 ${body} head)
  set(rest "${help}")
  while(TRUE)
    string(FIND "${rest}" "<h2 id=\"context" start)
    if(start EQUAL -1)
      break()
    endif()
    string(SUBSTRING "${rest}" ${start} -1 rest)
    string(REGEX MATCH "^<h2 id=\"context([0-9]+)\">([^<]+)</h2>" heading "${rest}")
    if(NOT heading)
      message(FATAL_ERROR "${source}: a topic heading is not <h2 id=\"context<n>\">title</h2>")
    endif()
    set(context ${CMAKE_MATCH_1})
    set(title "${CMAKE_MATCH_2}")
    # The topic runs to the next heading or to the end of the body.
    string(LENGTH "${heading}" skip)
    string(SUBSTRING "${rest}" ${skip} -1 after)
    string(FIND "${after}" "<h2" end)
    if(end EQUAL -1)
      string(FIND "${after}" "</body>" end)
    endif()
    math(EXPR length "${skip} + ${end}")
    string(SUBSTRING "${rest}" 0 ${length} topic)
    string(REPLACE "<title>" "<title>${title} - " page_head "${head}")
    file(WRITE ${destination}/${name}_context${context}.html
         "${page_head}<body>\n${topic}<p><a href=\"${contents}\">Contents</a></p>\n</body>\n</html>\n")
    string(SUBSTRING "${rest}" ${length} -1 rest)
  endwhile()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED HELP_SOURCE)
  get_filename_component(help_name ${HELP_SOURCE} NAME)
  file(COPY_FILE ${HELP_SOURCE} ${HELP_DESTINATION}/${help_name} ONLY_IF_DIFFERENT)
  write_help_topic_pages(${HELP_SOURCE} ${HELP_DESTINATION})
  file(TOUCH ${HELP_STAMP})
endif()
