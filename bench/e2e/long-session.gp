# The long session's picture, made by bench/e2e/run: bytes shown per second over each 256 KiB of
# the stream against the MiB shown by its end, with the line rate of 115200 baud and twice that.
# Set on the command line: data (lines "<MiB shown> <bytes per second>"), out (the PNG), heading,
# line_rate (bytes per second at 115200 baud).
set terminal pngcairo size 900,500 font "sans,10"
set output out
set title heading
set xlabel "MiB of the stream shown"
set ylabel "bytes shown per second over each 256 KiB"
set xrange [0:*]
set yrange [0:*]
set offsets 0, 0, graph 0.08, 0
set grid
set key top right box opaque
plot data using 1:2 with linespoints pointtype 7 pointsize 0.5 linewidth 1.5 title "Lumetra", \
     line_rate with lines dashtype 2 linewidth 2 title sprintf("115200 baud (%d B/s)", line_rate), \
     2 * line_rate with lines dashtype 3 linewidth 2 title sprintf("twice that (%d B/s)", 2 * line_rate)
