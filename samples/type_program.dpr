program Sample;
begin
end.
