# What a node operator would script instead of kestrum: per-area and per-link sums of a
# tosser log for one day (or for the whole log with day="").
#   awk -v day="08 Dec 26" -f baseline.awk tosser.log
{
  sub(/\r$/, "")
  if (day != "" && substr($0, 1, 9) != day) next
  text = substr($0, 21)
  if (substr($0, 21, 1) == "[" && substr($0, 24, 1) == "]") text = substr($0, 26)
  n = split(text, w, " ")
  if (w[2] == "toss" && w[3] == "-") {
    tag = toupper(substr(w[1], 1, length(w[1]) - 1))
    imported[tag] += w[4]
    bytes[tag] += substr(w[5], 2)
    if (match(text, /dupes - [0-9]+/)) dupes[tag] += substr(text, RSTART + 8, RLENGTH - 8)
    if (match(text, /sent - [0-9]+/)) exported[tag] += substr(text, RSTART + 7, RLENGTH - 7)
  } else if (w[2] == "sent" && w[3] == "-") {
    exported[toupper(substr(w[1], 1, length(w[1]) - 1))] += w[4]
  } else if (w[2] == "dupes" && w[3] == "-") {
    dupes[toupper(substr(w[1], 1, length(w[1]) - 1))] += w[4]
  } else if (w[1] == "[Inbound]") {
    received[w[n]] += substr(w[3], 2)
  } else if (w[1] == "Sent" && w[2] == "to") {
    sent[w[3]] += w[5]
  } else if (w[1] == "Real" && w[2] == "message") {
    areafix[w[4]]++
  }
}
END {
  for (tag in imported) printf "%s %d %d %d %d\n", tag, imported[tag], bytes[tag], exported[tag], dupes[tag]
  for (link in received) printf "%s %d %d %d\n", link, received[link], sent[link], areafix[link]
}
