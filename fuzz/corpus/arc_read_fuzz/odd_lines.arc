  12abc
 1.5 , 2.5 
3x,4y
,5
END
header text
1e-400,2
END
