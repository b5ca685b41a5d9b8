# awk -v n=LINES -f renumber.awk: the documents of
#   parallel --pipe --keep-order -N LINES --tagstring {#} korvel-cli --batch
# numbered by the lines of the whole stream. Chunk c (from 1) holds lines
# (c-1)*LINES+1 to c*LINES, and korvel-cli counted each chunk's lines from 1:
# every document arrives as "c<TAB>{"line":k,..." and leaves as {"line":(c-1)*LINES+k,...
{
  tab = index($0, "\t")
  chunk = substr($0, 1, tab - 1)
  rest = substr($0, tab + length("{\"line\":") + 1)
  k = rest + 0
  print "{\"line\":" (chunk - 1) * n + k substr(rest, length(k) + 1)
}
