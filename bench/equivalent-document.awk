# What a user would otherwise write: the keyframe document for "Preston
# Blair" at 24 fps, for files with LF line ends and tokens split at single
# spaces. The benchmarks time it against mouthkey-convert, output checked equal.
BEGIN {
    FS = "[ ]"
    split("AI E L FV MBP O U WQ etc rest TH CH D K", keys, " ")
    split("-40 -30 -20 -10 0 10 20 30 40 -50 -40 -40 -40 -40", xs, " ")
    for (i = 1; i <= 14; i++) pos[keys[i]] = "\t" xs[i] "\t4.00668\t0"
    printf "Adobe After Effects 8.0 Keyframe Data\n\n\tUnits Per Second\t24\n"
    printf "\tSource Width\t1\n\tSource Height\t1\n\tSource Pixel Aspect Ratio\t1\n"
    printf "\tComp Pixel Aspect Ratio\t1\n\nTransform\tPosition\n"
    printf "\tFrame\tX pixels\tY pixels\tZ pixels\n"
}
$0 == "" { next }
!header { header = 1; next }
{
    for (i = 1; i <= NF; i++) if ($i in pos) $i = pos[$i]
    print "\t" $0
}
END {
    printf "\nExpression Data\n[value[0],0];\nEnd of Expression Data\n\n\nEnd of Keyframe Data"
}
